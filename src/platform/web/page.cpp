// The page's frame driver and persistent folder: the browser calls the game's loop pass from its
// animation frames instead of the game looping itself.
#include "platform/page.h"

#include <emscripten/emscripten.h>

#include "platform/web/page_glue.h"

namespace platform {
namespace {

PageFrame pageFrame = nullptr;

}  // namespace

void RunOnPageFrames(PageFrame frame) {
  pageFrame = frame;
  skypop_run_frames();
}

const char* PersistentFolder() {
  // Without IndexedDB the folder is still there, in memory, for this visit.
  return "/skypop";
}

}  // namespace platform

// The page's frame driver (and the test page) calls this once per pass; 0 once the game ended.
extern "C" EMSCRIPTEN_KEEPALIVE int skypop_page_frame() {
  if (platform::pageFrame == nullptr) return 0;
  if (platform::pageFrame()) return 1;
  platform::pageFrame = nullptr;
  skypop_game_ended();
  return 0;
}

// The page's frame driver and persistent folder: the browser calls the game's loop pass from its
// animation frames instead of the game looping itself.
#include "host/page.h"

#include <emscripten/emscripten.h>

#include "hosts/web/page_glue.h"

namespace platform {
namespace {

// A burst of input would otherwise take one animation frame per message.
constexpr int kMaxPassesPerFrame = 1024;

PageFrame pageFrame = nullptr;
bool loopWaited = false;
// The storage step under way, called back through skypop_page_storage_done.
StorageStepDone storageStep = nullptr;

void StartStorageStep(StorageStepDone done, void (*start)()) {
  storageStep = done;
  start();
}

}  // namespace

void NoteLoopWaiting() {
  loopWaited = true;
}

void RunOnPageFrames(PageFrame frame) {
  pageFrame = frame;
  skypop_run_frames();
}

const char* PersistentFolder() {
  // The folder page_glue.js mounts on IndexedDB before main; without IndexedDB it is still
  // there, in memory, for this visit.
  return "/skypop";
}

void ShowResume(bool shown) {
  skypop_show_resume(shown ? 1 : 0);
}

bool PersistentFolderLasts() {
  return skypop_folder_lasts() != 0;
}

void LockPersistentFolder(StorageStepDone done) {
  StartStorageStep(done, skypop_folder_lock);
}

void ReadPersistentFolder(StorageStepDone done) {
  StartStorageStep(done, skypop_folder_read);
}

void WritePersistentFolder(StorageStepDone done) {
  StartStorageStep(done, skypop_folder_write);
}

void UnlockPersistentFolder() {
  skypop_folder_unlock();
}

}  // namespace platform

// The page's frame driver (and the test page) calls this on every animation frame. It runs passes
// as the desktop loop does, back to back, until one finds nothing to do and would wait: every
// waiting message is handled, then the ticks that are due, then the frame. 0 once the game ended.
extern "C" EMSCRIPTEN_KEEPALIVE int skypop_page_frame() {
  using platform::pageFrame;
  platform::loopWaited = false;
  for (int pass = 0; pageFrame != nullptr && pass < platform::kMaxPassesPerFrame; ++pass) {
    if (!pageFrame()) {
      pageFrame = nullptr;
      skypop_game_ended();
      return 0;
    }
    if (platform::loopWaited) break;
  }
  skypop_audio_pump();  // the sound the passes just started, mixed ahead for the audio thread
  return pageFrame != nullptr ? 1 : 0;
}

// page_glue.js calls this once the storage step under way has succeeded (1) or failed (0).
extern "C" EMSCRIPTEN_KEEPALIVE void skypop_page_storage_done(int ok) {
  const platform::StorageStepDone done = platform::storageStep;
  platform::storageStep = nullptr;
  if (done != nullptr) done(ok != 0);
}

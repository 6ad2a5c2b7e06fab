// Message boxes on SDL, with standard error where no box can be shown (no display, dummy video).
#include "host/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "hosts/sdl/sdl_window.h"

namespace platform {

namespace {

// Once the video has shut down SDL opens a box on any X display it can reach, whatever driver the
// run asked for: a run that asked for a screenless one has nobody looking at a screen.
bool ScreenlessRun() {
  const char* driver = SDL_getenv("SDL_VIDEODRIVER");
  return driver != nullptr &&
         (SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0);
}

}  // namespace

void ShowMessageBox(WindowHandle window, const char* text, const char* caption) {
  SDL_Window* owner = (window != nullptr) ? window->sdl : nullptr;
  if (ScreenlessRun() ||
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, owner) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

}  // namespace platform

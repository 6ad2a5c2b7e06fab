// Kept alone in its file so that a test program can link its own recording stand-in instead.
#include "platform/window_destroy.h"

#include <SDL.h>

#include "platform/sdl/sdl_window.h"

namespace platform {

void DestroyWindow(WindowHandle window) {
  if (window == nullptr || window->destroyed) return;
  // The frame loop reads the quit request from the queue and runs the teardown from there.
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

}  // namespace platform

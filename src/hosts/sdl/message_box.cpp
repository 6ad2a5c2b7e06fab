// Message boxes on SDL, with standard error where no box can be shown (no display, dummy video).
#include "host/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "hosts/sdl/sdl_window.h"

namespace platform {

void ShowMessageBox(WindowHandle window, const char* text, const char* caption) {
  SDL_Window* owner = (window != nullptr) ? window->sdl : nullptr;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, owner) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

}  // namespace platform

// Kept alone in its file so that a test program can link its own recording box instead.
#include "platform/message_box.h"

#include <SDL.h>

#include "platform/sdl/sdl_window.h"

namespace platform {

void ShowMessageBox(WindowHandle window, const char* caption, const char* text) {
  SDL_Window* owner = window != nullptr ? window->sdl : nullptr;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, owner);
}

}  // namespace platform

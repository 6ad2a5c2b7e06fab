// Message boxes on SDL, with standard error where no box can be shown (no display, dummy video).
#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl/sdl_window.h"

namespace platform {
namespace {

MessageBoxHook messageBoxHook = nullptr;

}  // namespace

void MessageBox(WindowHandle window, const char* text, const char* caption) {
  if (messageBoxHook != nullptr) {
    messageBoxHook(text, caption);
    return;
  }
  SDL_Window* owner = (window != nullptr) ? window->sdl : nullptr;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, owner) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

void SetMessageBoxHook(MessageBoxHook hook) {
  messageBoxHook = hook;
}

}  // namespace platform

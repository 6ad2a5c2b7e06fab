// The game's one window on SDL: full screen on the desktop (no video-mode switch), created
// hidden and shown once the sound is open, as the game's start-up expects.
#include "platform/window.h"

#include <SDL.h>

#include "platform/resources.h"
#include "platform/sdl/sdl_window.h"

namespace platform {
namespace {

// There is only ever one window; its record lives here rather than on the heap.
Window theWindow;

void SetIcon(SDL_Window* sdl) {
  ResourceBytes icon;
  if (!FindResource("MYICON", ResourceType::kIcon, &icon)) return;
  SDL_RWops* stream = SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size));
  if (stream == nullptr) return;
  SDL_Surface* surface = SDL_LoadBMP_RW(stream, 1);
  if (surface == nullptr) return;  // a broken icon is no reason to stop the game
  SDL_SetWindowIcon(sdl, surface);
  SDL_FreeSurface(surface);
}

}  // namespace

WindowHandle CreateGameWindow(const char* caption, WindowProcedure procedure) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  // Made ready for OpenGL from the start, so the display's renderer need not re-create the window
  // (a visible window re-created costs a round with the window manager); without OpenGL, plain.
  constexpr Uint32 kFlags =
      SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  SDL_Window* sdl = SDL_CreateWindow(caption, 0, 0, 640, 480, kFlags | SDL_WINDOW_OPENGL);
  if (sdl == nullptr) sdl = SDL_CreateWindow(caption, 0, 0, 640, 480, kFlags);
  if (sdl == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SetIcon(sdl);
  // The game reads keys, not text: no input-method window should ever pop up over it.
  SDL_StopTextInput();
  theWindow = Window{};
  theWindow.sdl = sdl;
  theWindow.procedure = procedure;
  return &theWindow;
}

void ShowWindow(WindowHandle window) {
  if (window == nullptr || window->sdl == nullptr) return;
  SDL_ShowWindow(window->sdl);
  SDL_RaiseWindow(window->sdl);
  // Drivers without a screen have no keyboard focus to give, so no activation would ever come
  // and the game would stand still: a shown window counts as the active one there.
  if (ScreenlessVideoDriver()) PostMessage(window, Message{MessageKind::kActivateApp, 1, 0});
}

bool ScreenlessVideoDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr &&
         (SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0);
}

void ShowPointer(bool visible) {
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void DestroyWindow(WindowHandle window) {
  if (window == nullptr || window->destroyed) return;
  window->destroyed = true;
  // The procedure's teardown runs first, while the window (and the display's renderer on it)
  // still exists, exactly as a destroy message arrives before the window is gone.
  if (window->procedure != nullptr) window->procedure(window, Message{MessageKind::kDestroy, 0, 0});
  if (window->sdl != nullptr) {
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
  }
}

void ShutDownPlatform() {
  if (theWindow.sdl != nullptr) DestroyWindow(&theWindow);
  SDL_Quit();
}

}  // namespace platform

// What the platform layer keeps behind the game's window handle. Only src/platform/sdl/ sees it.
#pragma once

#include <SDL.h>

#include "platform/window.h"

namespace platform {

struct Window {
  SDL_Window* sdl = nullptr;            // the one full-screen window
  SDL_Renderer* renderer = nullptr;     // created by the display's presenter, null until then
  bool destroyed = false;               // set once the destroy handling has run
  WindowProcedure procedure = nullptr;  // receives the window's messages
};

// True under SDL's video drivers without a screen (dummy, offscreen): no focus, no input.
bool ScreenlessVideoDriver();

}  // namespace platform

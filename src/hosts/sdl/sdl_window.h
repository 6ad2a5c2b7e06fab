// What the SDL host keeps behind the game's window handle. Only src/hosts/sdl/ sees it.
#pragma once

#include <SDL.h>

#include "host/window.h"

namespace platform {

struct Window {
  SDL_Window* sdl = nullptr;            // the one full-screen window
  SDL_Renderer* renderer = nullptr;     // created by the display's presenter, null until then
  bool destroyed = false;               // set once the destroy handling has run
  WindowProcedure procedure = nullptr;  // receives the window's messages
  char caption[64] = "";                // the title, before any volume note is added to it
};

// True under SDL's video drivers without a screen (dummy, offscreen): no focus, no input.
bool ScreenlessVideoDriver();

// Switches the window between full screen on the desktop and a resizable window of the largest
// whole multiple of the picture that fits the desktop; false when SDL refused.
bool SetFullScreen(SDL_Window* sdl, bool fullScreen);

// True once after a signal asked the game to close (SIGHUP, SIGINT, SIGTERM): the game closes as
// by its close button, saving the table.
bool TakeCloseSignal();

}  // namespace platform

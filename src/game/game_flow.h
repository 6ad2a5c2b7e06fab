// One tick of game logic over the game-wide state.
#pragma once

#include "host/window_handle.h"
#include "state/game_state.h"

// One 16.6 ms tick of game logic.
void StepGame(WindowHandle window);

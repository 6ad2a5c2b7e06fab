// Composes one whole frame from the game state and shows it.
#pragma once

#include "host/window_handle.h"

void DrawFrame(WindowHandle window);

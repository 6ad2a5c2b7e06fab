// The high-score board, in display mode (0) or entry mode (1).
#pragma once

#include "host/window_handle.h"

void DrawScoreBoard(WindowHandle window, int mode);

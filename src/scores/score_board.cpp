// Placeholder body: the real one arrives with its own piece of work.
#include "scores/score_board.h"

void DrawScoreBoard(WindowHandle, int) {}

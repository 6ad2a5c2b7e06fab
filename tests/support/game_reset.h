// Puts every game-wide value back to its program-start state, as the tests of the game, the
// scores and the frames all need before they begin.
#pragma once

#include "host/window_handle.h"

namespace testing_support {

// The input words, the game state, the balloon and burst pools, the random source, the score
// table (with its file forgotten) and the name entry.
void ResetGameWideState();
// Opens the display afresh on the game's own sheet, as the game does at start-up (headless with
// a null window); 1 when it opened.
int OpenGameDisplay(WindowHandle window = nullptr);

}  // namespace testing_support

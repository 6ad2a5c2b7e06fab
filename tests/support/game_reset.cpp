#include "game_reset.h"

#include "display/display.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/random_source.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "state/game_state.h"
#include "state/input_state.h"

namespace testing_support {

void ResetGameWideState() {
  ResetInputState();
  ResetGameState();
  ResetBalloons();
  ResetBursts();
  ResetRandom();
  ResetHighScores();
  ResetNameEntry();
}

int OpenGameDisplay(WindowHandle window) {
  ResetDisplay();
  displayContext.spriteTable = kSpriteTable.data();
  displayContext.sheetName = "char";
  displayContext.sheetWidth = 512;
  displayContext.sheetHeight = 512;
  return OpenDisplay(window);
}

}  // namespace testing_support

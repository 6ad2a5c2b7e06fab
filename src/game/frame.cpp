#include "game/frame.h"

#include "display/drawing.h"
#include "display/sprite_table.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/game_flow.h"
#include "scores/high_scores.h"
#include "scores/score_board.h"
#include "state/input_state.h"

namespace {

constexpr int kScoreColumnColour = 11;
constexpr int kFieldColour = 0;
constexpr int kFieldSize = 480;
constexpr int kTitleBoardTick = 512;  // the title text gives way to the board from here on
constexpr int kRingOffset = 5;        // the ring arcs' inner corners sit this far off the mouse

void DrawStarBursts(WindowHandle window) {
  for (int s = 0; s < kBurstSlots; ++s) {
    const Burst& b = bursts[s];
    if (b.active == 0 || b.kind != 1) continue;
    const int f = b.age & 7;
    // Odd slots turn the yellow star forwards, even ones backwards; one in four is white.
    int sprite = (s & 1) != 0 ? kSpriteYellowStar + f : kSpriteYellowStar + 7 - f;
    if (s % 4 == 0) sprite += 8;
    DrawFieldSprite(window, b.x, b.y, sprite);
  }
}

void DrawDotBursts(WindowHandle window) {
  for (int s = 0; s < kBurstSlots; ++s) {
    const Burst& b = bursts[s];
    if (b.active == 0 || b.kind != 0) continue;
    DrawFieldSprite(window, b.x, b.y, kSpriteDots + 4 * (s & 3) + ((b.age >> 3) & 3));
  }
}

void DrawBalloons(WindowHandle window) {
  for (const Balloon& b : balloons) {
    if (b.active == 0) continue;
    DrawFieldSprite(window, b.x, b.y, b.spriteBase + ((b.frameCounter >> 2) & 15));
  }
}

void DrawTitleTexts(WindowHandle window) {
  if (game.phaseTimer < kTitleBoardTick) {
    DrawText(window, 8, 4, "SKYPOP FRENZY ", 2);
  } else {
    DrawScoreBoard(window, 0);
  }
  if ((game.phaseTimer & 0x20) != 0) DrawText(window, 6, 23, "PUSH MOUSE BUTTON", 0);
  DrawText(window, 12, 27, "NORVE.", 1);
  DrawText(window, 7, 29, "01234567PQRSTUVW", 3);
}

// The box over the grid symbol, OK or BACK under the mouse, drawn with the box pieces of the
// art font around the label the board has already drawn.
void DrawSelectionBox(WindowHandle window) {
  const int mx = static_cast<int>(input.mouseX);
  const int my = static_cast<int>(input.mouseY);
  if (mx >= 40 && mx <= 455 && my >= 328 && my <= 423) {
    const int col = (mx - 40) / 32;
    const int line = (my - 328) / 32;
    DrawText(window, 2 + 2 * col, 20 + 2 * line, " = ", 3);
    DrawText(window, 2 + 2 * col, 21 + 2 * line, "< >", 3);
    DrawText(window, 2 + 2 * col, 22 + 2 * line, " ]", 3);
  }
  if (my >= 424 && my <= 455) {
    if (mx >= 264 && mx <= 343) {
      DrawText(window, 17, 26, "====", 3);
      DrawText(window, 16, 27, "<    >", 3);
      DrawText(window, 17, 28, "]]]]", 3);
    } else if (mx >= 184 && mx <= 231) {
      DrawText(window, 12, 26, "==", 3);
      DrawText(window, 11, 27, "<  >", 3);
      DrawText(window, 12, 28, "]]", 3);
    }
  }
}

void DrawPlayTexts(WindowHandle window) {
  if (game.gamePaused != 0) {
    DrawText(window, 12, 18, "PAUSE", 1);
    // A click does not resume (it would fire a shot the player never aimed): say what does.
    DrawText(window, 8, 20, "PUSH SPACE KEY", 0);
  }
  switch (game.playPhase) {
    case kPhaseStart:
      DrawText(window, 11, 12, "START !", 1);
      break;
    case kPhaseNameEntry:
      DrawScoreBoard(window, 1);
      DrawSelectionBox(window);
      break;
    case kPhaseBoard:
      DrawScoreBoard(window, 0);
      break;
    case kPhaseGameOver:
      DrawText(window, 10, 12, "GAME OVER", 1);
      break;
    default:
      break;
  }
}

void DrawScoreColumn(WindowHandle window) {
  char number[16];
  DrawText(window, 31, 1, "HI-SCORE", 1);
  FormatNumber(game.hiScore, number, 8);
  DrawText(window, 31, 2, number, 0);
  DrawText(window, 31, 4, "SCORE", 1);
  FormatNumber(game.score, number, 8);
  DrawText(window, 31, 5, number, 0);
}

void DrawPointer(WindowHandle window) {
  const int mx = static_cast<int>(input.mouseX);
  const int my = static_cast<int>(input.mouseY);
  const bool aiming = game.gameMode == kModePlaying &&
                      (game.playPhase == kPhaseStart || game.playPhase == kPhaseWave);
  if (mx < kFieldSize && aiming) {
    DrawScreenSprite(window, mx, my, kSpriteCrossCentre);
    DrawScreenSprite(window, mx - kRingOffset, my - kRingOffset, kSpriteArcUpperLeft);
    DrawScreenSprite(window, mx + kRingOffset, my - kRingOffset, kSpriteArcUpperRight);
    DrawScreenSprite(window, mx - kRingOffset, my + kRingOffset, kSpriteArcLowerLeft);
    DrawScreenSprite(window, mx + kRingOffset, my + kRingOffset, kSpriteArcLowerRight);
  } else {
    DrawScreenSprite(window, mx, my, kSpriteArrow);
  }
}

}  // namespace

void DrawFrame(WindowHandle window) {
  if (input.appActive == 0) return;
  FillScreen(window, kScoreColumnColour);
  FillRect(window, 0, 0, kFieldSize, kFieldSize, kFieldColour);

  if (game.gameMode == kModeTitle) {
    DrawBalloons(window);
  } else if (game.gameMode == kModePlaying &&
             (game.playPhase == kPhaseStart || game.playPhase == kPhaseWave ||
              game.playPhase == kPhaseTally || game.playPhase == kPhaseGameOver)) {
    DrawStarBursts(window);
    DrawBalloons(window);
    DrawDotBursts(window);
  }

  if (game.gameMode == kModeTitle) {
    DrawTitleTexts(window);
  } else if (game.gameMode == kModePlaying) {
    DrawPlayTexts(window);
  }

  DrawScoreColumn(window);
  DrawPointer(window);
  FlipScreen(window);
}

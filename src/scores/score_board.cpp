#include "scores/score_board.h"

#include "display/drawing.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "state/game_state.h"

namespace {

constexpr const char* kRankLabels[kHighScoreRows] = {"1ST", "2ND", "3RD", "4TH", "5TH"};
constexpr int kGridSymbols = 38;  // NameSymbols 0..37 can be typed
constexpr int kCursorEnd = 39;
constexpr int kGridColumns = 13;

// The keyboard and joystick cursor: the symbol that select would take is redrawn in cyan inside
// the selection box; on delete the grid's empty cell shows the art font's left arrow in the box,
// and on end the OK label is boxed and cyan, since select there finishes the entry like OK.
void DrawEntryCursor(WindowHandle window) {
  const int cursor = symbolCursor;
  if (cursor < 0 || cursor > kCursorEnd) return;
  if (cursor == kCursorEnd) {
    DrawText(window, 12, 27, "OK", 2);
    DrawText(window, 12, 26, "==", 3);
    DrawText(window, 11, 27, "<  >", 3);
    DrawText(window, 12, 28, "]]", 3);
    return;
  }
  const int col = cursor % kGridColumns;
  const int line = cursor / kGridColumns;
  const int column = 3 + 2 * col;
  const int row = 21 + 2 * line;
  if (cursor < kGridSymbols) {
    const char symbol[2] = {NameSymbols[cursor], '\0'};
    DrawText(window, column, row, symbol, 2);
  } else {
    DrawText(window, column, row, ";", 3);  // the art font's left arrow: delete
  }
  DrawText(window, column - 1, row - 1, " = ", 3);
  DrawText(window, column - 1, row, "< >", 3);
  DrawText(window, column - 1, row + 1, " ]", 3);
}

}  // namespace

void DrawScoreBoard(WindowHandle window, int mode) {
  DrawText(window, 8, 4, "SKYPOP FRENZY ", 2);
  DrawText(window, 10, 8, "BEST PLAYER", 0);
  const int blink = (game.phaseTimer >> 3) & 1;
  char number[16];
  for (int i = 0; i < kHighScoreRows; ++i) {
    const int row = 10 + 2 * i;
    int style = 0;
    if (i == game.newRank - 1) {
      if (mode == 1) {
        DrawText(window, 18, row, nameBuffer, 1);
        DrawText(window, 18 + nameLength, row, "_", blink);
        style = 1;
      } else {
        style = blink;
        DrawText(window, 18, row, highScores[i].name, style);
      }
    } else {
      DrawText(window, 18, row, highScores[i].name, style);
    }
    DrawText(window, 3, row, kRankLabels[i], style);
    FormatNumber(highScores[i].score, number, 8);
    DrawText(window, 7, row, number, style);
  }
  if (mode != 1) return;
  DrawText(window, 3, 21, "A B C D E F G H I J K L M", 1);
  DrawText(window, 3, 23, "N O P Q R S T U V W X Y Z", 1);
  DrawText(window, 3, 25, "0 1 2 3 4 5 6 7 8 9 , .  ", 1);
  DrawText(window, 3, 27, "         OK   BACK       ", 1);
  DrawEntryCursor(window);
}

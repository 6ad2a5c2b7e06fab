// What the score board draws in display and entry mode, and the keyboard cursor over the grid.
#include "scores/score_board.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/game_flow.h"
#include "game_reset.h"
#include "recording_drawing.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"

namespace {

using testing_support::DrawCall;
using testing_support::DrawCalls;
using testing_support::Text;

class ScoreBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetGameWideState();
    NameEntryStep(0);
    for (int i = 0; i < kHighScoreRows; ++i) {
      highScores[i].score = 5000 - 1000 * i;
      std::snprintf(highScores[i].name, sizeof highScores[i].name, "PLAYER %d  ", i + 1);
    }
  }

  static std::vector<DrawCall> Board(int mode) {
    DrawCalls().clear();
    DrawScoreBoard(nullptr, mode);
    return DrawCalls();
  }

  static std::string Number(int value) {
    char text[16];
    FormatNumber(value, text, 8);
    return text;
  }

  // The three calls of table row i: name, label, score, all in one style.
  static std::vector<DrawCall> Row(int i, int style) {
    static const char* const kLabels[] = {"1ST", "2ND", "3RD", "4TH", "5TH"};
    return {Text(18, 10 + 2 * i, highScores[i].name, style), Text(3, 10 + 2 * i, kLabels[i], style),
            Text(7, 10 + 2 * i, Number(highScores[i].score), style)};
  }

  static std::vector<DrawCall> Slice(const std::vector<DrawCall>& calls, size_t from,
                                     size_t count) {
    return {calls.begin() + static_cast<ptrdiff_t>(from),
            calls.begin() + static_cast<ptrdiff_t>(from + count)};
  }
};

TEST_F(ScoreBoardTest, DisplayModeWithoutANewRowIsAllWhite) {
  game.newRank = 0;
  game.phaseTimer = 8;
  const auto calls = Board(0);
  ASSERT_EQ(calls.size(), 2u + 15u);
  EXPECT_EQ(calls[0], Text(8, 4, "SKYPOP FRENZY ", 2));
  EXPECT_EQ(calls[1], Text(10, 8, "BEST PLAYER", 0));
  for (int i = 0; i < kHighScoreRows; ++i) {
    EXPECT_EQ(Slice(calls, 2 + 3 * static_cast<size_t>(i), 3), Row(i, 0)) << i;
  }
}

TEST_F(ScoreBoardTest, DisplayModeBlinksTheNewRowEveryEightTicks) {
  game.newRank = 2;
  game.phaseTimer = 8;
  EXPECT_EQ(Slice(Board(0), 5, 3), Row(1, 1));
  game.phaseTimer = 16;
  EXPECT_EQ(Slice(Board(0), 5, 3), Row(1, 0));
  EXPECT_EQ(Slice(Board(0), 2, 3), Row(0, 0));
}

TEST_F(ScoreBoardTest, EntryModeShowsTheNameBeingTypedTheBlinkingCursorAndTheGrid) {
  game.newRank = 5;
  game.phaseTimer = 8;
  std::memcpy(nameBuffer, "ABC       ", 10);
  nameLength = 3;
  const auto calls = Board(1);
  const std::vector<DrawCall> newRow = {Text(18, 18, "ABC       ", 1), Text(21, 18, "_", 1),
                                        Text(3, 18, "5TH", 1), Text(7, 18, Number(1000), 1)};
  EXPECT_EQ(Slice(calls, 14, 4), newRow);
  EXPECT_EQ(Slice(calls, 18, 4),
            (std::vector<DrawCall>{Text(3, 21, "A B C D E F G H I J K L M", 1),
                                   Text(3, 23, "N O P Q R S T U V W X Y Z", 1),
                                   Text(3, 25, "0 1 2 3 4 5 6 7 8 9 , .  ", 1),
                                   Text(3, 27, "         OK   BACK       ", 1)}));
  game.phaseTimer = 0;
  EXPECT_EQ(Board(1)[15], Text(21, 18, "_", 0));
  nameLength = 10;
  EXPECT_EQ(Board(1)[15], Text(28, 18, "_", 0));
}

TEST_F(ScoreBoardTest, KeyboardCursorIsACyanSymbolInTheSelectionBox) {
  game.newRank = 1;
  auto cursorCalls = [](int cursor) {
    symbolCursor = cursor;
    const auto calls = Board(1);
    return std::vector<DrawCall>(calls.begin() + 22, calls.end());
  };
  EXPECT_EQ(cursorCalls(0), (std::vector<DrawCall>{Text(3, 21, "A", 2), Text(2, 20, " = ", 3),
                                                   Text(2, 21, "< >", 3), Text(2, 22, " ]", 3)}));
  EXPECT_EQ(cursorCalls(14), (std::vector<DrawCall>{Text(5, 23, "O", 2), Text(4, 22, " = ", 3),
                                                    Text(4, 23, "< >", 3), Text(4, 24, " ]", 3)}));
  EXPECT_EQ(cursorCalls(37)[0], Text(25, 25, ".", 2));
  // Delete: the art font's left arrow in the grid's empty cell.
  EXPECT_EQ(cursorCalls(38),
            (std::vector<DrawCall>{Text(27, 25, ";", 3), Text(26, 24, " = ", 3),
                                   Text(26, 25, "< >", 3), Text(26, 26, " ]", 3)}));
  // End: OK itself, boxed as the mouse would box it.
  EXPECT_EQ(cursorCalls(39),
            (std::vector<DrawCall>{Text(12, 27, "OK", 2), Text(12, 26, "==", 3),
                                   Text(11, 27, "<  >", 3), Text(12, 28, "]]", 3)}));
  EXPECT_TRUE(cursorCalls(40).empty());
  EXPECT_TRUE(cursorCalls(-1).empty());
  // Display mode has no cursor.
  symbolCursor = 5;
  EXPECT_EQ(Board(0).size(), 17u);
}

}  // namespace

#include "scores/name_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fake_sound.h"
#include "game/game_flow.h"
#include "game_reset.h"
#include "scores/high_scores.h"
#include "state/input_state.h"
#include "temp_dir.h"

namespace {

using fake_sound::Call;

class NameEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetGameWideState();
    fake_sound::Reset();
    LoadScores();
    game.score = 2200;
    game.newRank = RankScore();
    NameEntryStep(0);
  }

  // One entry tick with a fresh left click at (x, y).
  static bool Click(int x, int y) {
    input.mouseX = static_cast<uint32_t>(x);
    input.mouseY = static_cast<uint32_t>(y);
    input.mousePressed = kMouseLeft;
    input.padPressed = 0;
    const bool done = NameEntryStep(1);
    input.mousePressed = 0;
    return done;
  }

  // One entry tick with these pad bits freshly pressed.
  static bool Press(uint32_t bits) {
    input.mousePressed = 0;
    input.padPressed = bits;
    const bool done = NameEntryStep(1);
    input.padPressed = 0;
    return done;
  }

  static void TypeFullName() {
    for (int i = 0; i < 10; ++i) Click(56, 344);  // A
  }

  static int Effects(int index) { return fake_sound::Count(Call::kEffect, index); }

  TempWorkingDir dir_;
};

TEST_F(NameEntryTest, ClosingDuringTheEntryKeepsTheLettersTypedSoFar) {
  Click(56, 344);
  Click(56, 344);  // "AA", then the game is closed
  KeepTypedName();
  EXPECT_STREQ(highScores[2].name, "          ") << "kept outside the entry";
  game.gameMode = kModePlaying;
  game.playPhase = kPhaseNameEntry;
  KeepTypedName();
  SaveScores();
  ResetHighScores();
  LoadScores();
  EXPECT_STREQ(highScores[2].name, "AA        ");
}

TEST_F(NameEntryTest, GridCellsTypeTheirSymbolsAndTheLastCellABlank) {
  Click(40, 328);   // A, top-left corner of the grid
  Click(455, 359);  // M, far right of the first row
  Click(424, 360);  // Z
  Click(40, 423);   // 0, bottom-left corner
  Click(455, 423);  // the empty cell after '.'
  Click(392, 392);  // '.'
  EXPECT_STREQ(nameBuffer, "AMZ0 .    ");
  EXPECT_EQ(nameLength, 6);
  EXPECT_EQ(Effects(0), 6);
  Click(39, 328);  // just outside the grid
  Click(456, 400);
  Click(200, 327);
  EXPECT_EQ(nameLength, 6);
  EXPECT_EQ(Effects(0), 6);
}

TEST_F(NameEntryTest, OkWithNothingTypedWritesTenBlanksAndSaves) {
  EXPECT_FALSE(Click(183, 430));
  EXPECT_TRUE(Click(184, 455));
  EXPECT_STREQ(highScores[2].name, "          ");
  EXPECT_EQ(highScores[2].score, 2200);
  EXPECT_EQ(Effects(0), 1);
  EXPECT_TRUE(std::filesystem::exists("KIPO.INI"));
}

TEST_F(NameEntryTest, AFullNameIgnoresTheGridButBackStillDeletes) {
  TypeFullName();
  EXPECT_STREQ(nameBuffer, "AAAAAAAAAA");
  Click(88, 344);
  EXPECT_STREQ(nameBuffer, "AAAAAAAAAA");
  EXPECT_EQ(Effects(0), 10);
  Click(343, 424);  // BACK
  EXPECT_STREQ(nameBuffer, "AAAAAAAAA ");
  EXPECT_EQ(nameLength, 9);
  EXPECT_EQ(Effects(1), 1);
}

TEST_F(NameEntryTest, DeletingAnEmptyNameDoesNothingAndMakesNoSound) {
  Click(264, 440);  // BACK
  symbolCursor = 38;
  Press(kButtonFire1);  // select on delete
  Press(kButtonFire2);
  Press(kButtonUp);
  EXPECT_EQ(nameLength, 0);
  EXPECT_STREQ(nameBuffer, "          ");
  EXPECT_TRUE(fake_sound::state.calls.empty());
}

TEST_F(NameEntryTest, KeysTypeSilentlyAndEndFinishes) {
  Press(kButtonRight);
  Press(kButtonRight);
  Press(kButtonDown);  // select: C
  EXPECT_EQ(symbolCursor, 0);
  Press(kButtonFire1);  // A
  Press(kButtonFire2);  // delete the A
  Press(kButtonLeft);   // A -> end
  EXPECT_EQ(symbolCursor, 39);
  Press(kButtonRight);  // end -> A while there is room
  EXPECT_EQ(symbolCursor, 0);
  EXPECT_STREQ(nameBuffer, "C         ");
  EXPECT_TRUE(fake_sound::state.calls.empty());
  Press(kButtonLeft);
  EXPECT_TRUE(Press(kButtonFire1));
  EXPECT_STREQ(highScores[2].name, "C         ");
}

TEST_F(NameEntryTest, TheTenthCharacterPutsTheCursorOnEnd) {
  for (int i = 0; i < 9; ++i) Press(kButtonFire1);
  EXPECT_EQ(symbolCursor, 0);
  Press(kButtonFire1);
  EXPECT_EQ(nameLength, 10);
  EXPECT_EQ(symbolCursor, 39);
  EXPECT_TRUE(Press(kButtonFire1));
  EXPECT_STREQ(highScores[2].name, "AAAAAAAAAA");
}

TEST_F(NameEntryTest, WithAFullNameTheCursorSwingsBetweenDeleteAndEnd) {
  TypeFullName();
  const struct {
    int32_t from;
    uint32_t keys;
    int32_t to;
  } moves[] = {
      {37, kButtonRight, 38}, {38, kButtonRight, 39}, {39, kButtonRight, 38}, {0, kButtonLeft, 39},
      {38, kButtonLeft, 39},  {39, kButtonLeft, 38},  {12, kButtonLeft, 39},
  };
  for (const auto& m : moves) {
    symbolCursor = m.from;
    Press(m.keys);
    EXPECT_EQ(symbolCursor, m.to) << m.from;
  }
  symbolCursor = 5;
  Press(kButtonFire1);  // a symbol: nothing to do with a full name
  EXPECT_STREQ(nameBuffer, "AAAAAAAAAA");
  symbolCursor = 38;
  Press(kButtonFire1);  // delete
  EXPECT_EQ(nameLength, 9);
}

TEST_F(NameEntryTest, WithRoomTheCursorCyclesAndForwardComesBeforeBack) {
  symbolCursor = 39;
  Press(kButtonRight);
  EXPECT_EQ(symbolCursor, 0);
  Press(kButtonLeft);
  EXPECT_EQ(symbolCursor, 39);
  symbolCursor = 39;
  Press(kButtonRight | kButtonLeft);  // forward to 0, then back to 39
  EXPECT_EQ(symbolCursor, 39);
}

TEST_F(NameEntryTest, TheMouseActsBeforeTheKeysOfTheSameTick) {
  symbolCursor = 2;
  input.mouseX = 72;  // B
  input.mouseY = 340;
  input.mousePressed = kMouseLeft;
  input.padPressed = kButtonFire1;  // C
  EXPECT_FALSE(NameEntryStep(1));
  EXPECT_STREQ(nameBuffer, "BC        ");
  // An OK click ends the tick at once: the keys of that tick are not applied.
  input.mouseX = 200;
  input.mouseY = 440;
  input.padPressed = kButtonFire1;
  EXPECT_TRUE(NameEntryStep(1));
  EXPECT_STREQ(highScores[2].name, "BC        ");
}

TEST_F(NameEntryTest, OtherStepsDoNothing) {
  Click(56, 344);
  input.mousePressed = kMouseLeft;
  EXPECT_FALSE(NameEntryStep(2));
  EXPECT_FALSE(NameEntryStep(-1));
  EXPECT_EQ(nameLength, 1);
  EXPECT_FALSE(NameEntryStep(0));
  EXPECT_EQ(nameLength, 0);
  EXPECT_STREQ(nameBuffer, "          ");
  EXPECT_EQ(symbolCursor, 0);
}

}  // namespace

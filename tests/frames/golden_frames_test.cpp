// Whole frames composed from the game's sheet, compared pixel for pixel with the reference frames
// under golden/. To accept a deliberate change, rewrite them and look at the images:
//   SKYPOP_RECORD_FRAMES=1 build/tests/frames/frame_golden_tests
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "frame_image.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/frame.h"
#include "game/game_flow.h"
#include "game_reset.h"
#include "machine/resources.h"
#include "machine/video.h"
#include "recording_window.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "state/input_state.h"

namespace {

int32_t Field(int pixel) {
  return (pixel + 272) * 64;
}

class GoldenFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResourceBytes sheet{};
    if (!platform::FindResource("char", platform::ResourceType::kBitmap, &sheet)) {
      GTEST_SKIP() << "the game's sprite sheet is not built in";
    }
    ASSERT_EQ(testing_support::OpenGameDisplay(), 1);
    testing_support::ResetGameWideState();
    for (Balloon& b : balloons) b = Balloon{};
    for (Burst& b : bursts) b = Burst{};
    static const char* const kNames[] = {"ACE       ", "BLUE SKY  ", "POP.POP   ", "Z         ",
                                         "NORVE     "};
    for (int i = 0; i < kHighScoreRows; ++i) {
      highScores[i].score = 9000 - 1500 * i;
      std::memcpy(highScores[i].name, kNames[i], 11);
    }
    NameEntryStep(0);
    input.appActive = 1;
    game.hiScore = 9000;
  }

  void TearDown() override {
    ResetDisplay();
    testing_support::ClearRecordedWindow();
  }

  static void AddBalloon(int slot, int x, int y, int kind, int frameCounter) {
    balloons[slot] = Balloon{1, Field(x), Field(y), 0, 0, 0, 0, 0, 16 * kind, frameCounter};
  }

  // One popped balloon's worth of particles around (x, y): stars and dots at every age.
  static void AddBurst(int firstSlot, int x, int y) {
    for (int i = 0; i < 16; ++i) {
      const int dx = (i % 4) * 14 - 21;
      const int dy = (i / 4) * 12 - 18;
      bursts[firstSlot + i] = Burst{1, Field(x + dx), Field(y + dy), 0, 0, 0, i % 2, i * 2};
    }
  }

  static void WaveScene() {
    game.gameMode = kModePlaying;
    game.playPhase = kPhaseWave;
    game.score = 1290;
    AddBalloon(0, 120, 300, 1, 0);
    AddBalloon(1, 220, 180, 2, 13);
    AddBalloon(2, 330, 400, 3, 27);
    AddBalloon(3, 470, 240, 4, 40);  // cut at the score column
    AddBalloon(5, 60, 470, 5, 55);   // cut at the bottom
    AddBalloon(6, 400, 90, 6, 62);
    AddBurst(0, 260, 300);
    input.mouseX = 200;
    input.mouseY = 220;
  }

  static void NameEntryScene(int mouseX, int mouseY, int cursor) {
    game.gameMode = kModePlaying;
    game.playPhase = kPhaseNameEntry;
    game.newRank = 2;
    game.phaseTimer = 8;
    game.score = 7600;
    highScores[1].score = 7600;
    std::memcpy(nameBuffer, "SKY       ", 10);
    nameLength = 3;
    symbolCursor = cursor;
    input.mouseX = static_cast<uint32_t>(mouseX);
    input.mouseY = static_cast<uint32_t>(mouseY);
  }

  static void ExpectFrame(const std::string& name) {
    DrawFrame(nullptr);
    const uint8_t* shown = platform::LastShownPixels();
    ASSERT_NE(shown, nullptr);
    const std::string golden = std::string(SKYPOP_FRAMES_DIR) + "/" + name + ".bmp";
    if (std::getenv("SKYPOP_RECORD_FRAMES") != nullptr) {
      ASSERT_TRUE(testing_support::WriteFrameImage(golden, shown, platform::LastShownPalette()));
      GTEST_SKIP() << "recorded " << golden;
    }
    std::vector<uint8_t> expected;
    ASSERT_TRUE(testing_support::ReadFrameImage(golden, &expected)) << "cannot read " << golden;
    int differing = 0;
    int left = 640, top = 480, right = -1, bottom = -1;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (shown[y * 640 + x] == expected[static_cast<size_t>(y * 640 + x)]) continue;
        ++differing;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
      }
    }
    if (differing != 0) {
      const std::string actual = std::string(SKYPOP_ACTUAL_DIR) + "/" + name + ".actual.bmp";
      testing_support::WriteFrameImage(actual, shown, platform::LastShownPalette());
      ADD_FAILURE() << name << ": " << differing << " pixels differ within (" << left << ", " << top
                    << ") to (" << right << ", " << bottom << "); this frame is in " << actual;
    }
  }
};

TEST_F(GoldenFrameTest, Title) {
  game.gameMode = kModeTitle;
  game.phaseTimer = 0x20 + 3;
  AddBalloon(0, 100, 380, 1, 0);
  AddBalloon(4, 300, 250, 5, 21);
  AddBalloon(9, 420, 520, 6, 35);
  input.mouseX = 300;
  input.mouseY = 300;
  ExpectFrame("title");
}

TEST_F(GoldenFrameTest, Board) {
  game.gameMode = kModeTitle;
  game.phaseTimer = 512 + 0x20;
  AddBalloon(2, 240, 200, 3, 8);
  input.mouseX = 600;
  input.mouseY = 400;
  ExpectFrame("board");
}

TEST_F(GoldenFrameTest, WaveWithBalloonsAndBursts) {
  WaveScene();
  ExpectFrame("wave");
}

TEST_F(GoldenFrameTest, PausedWaveWithTheCrossHairAtTheFieldEdge) {
  WaveScene();
  game.gamePaused = 1;
  input.mouseX = 479;
  input.mouseY = 100;
  ExpectFrame("paused");
}

TEST_F(GoldenFrameTest, NameEntryWithTheMouseOnAGridCell) {
  NameEntryScene(120, 360, 5);  // the box on 'P', the keyboard cursor on 'F'
  ExpectFrame("name_entry_grid");
}

TEST_F(GoldenFrameTest, NameEntryWithTheMouseOnOk) {
  NameEntryScene(200, 440, 38);  // the keyboard cursor on delete
  ExpectFrame("name_entry_ok");
}

}  // namespace

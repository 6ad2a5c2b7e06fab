// The real game on a virtual X screen, played like a person: the title appears, a tap starts
// the game, a tapped hovering balloon pops and the score column shows its points, Escape leaves.
// What the screen must show is composed here from the same sprite sheet, without a screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "display/display.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/frame.h"
#include "game/game_flow.h"
#include "game_reset.h"
#include "machine/video.h"
#include "recording_window.h"
#include "state/input_state.h"
#include "x_session.h"

namespace {

using e2e::Screenshot;

struct Area {
  int left, top, right, bottom;  // right and bottom exclusive
};

constexpr Area kScoreColumn{480, 0, 640, 480};
constexpr Area kTitleText{128, 64, 352, 80};    // "SKYPOP FRENZY " at cell (8, 4)
constexpr Area kStartText{176, 192, 288, 208};  // "START !" at cell (11, 12)
constexpr int kParkX = 4;  // the pointer waits in the field's lower-left corner
constexpr int kParkY = 476;

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// One frame as the screen should show it, composed headless from the built-in sheet.
std::vector<uint32_t> Compose(const std::function<void()>& scene) {
  std::vector<uint32_t> rgb;
  if (testing_support::OpenGameDisplay() != 1) return rgb;
  testing_support::ResetGameWideState();
  for (Balloon& b : balloons) b = Balloon{};
  for (Burst& b : bursts) b = Burst{};
  input.appActive = 1;
  input.mouseX = kParkX;
  input.mouseY = kParkY;
  scene();
  DrawFrame(nullptr);
  const uint8_t* pixels = platform::LastShownPixels();
  const uint32_t* palette = platform::LastShownPalette();
  for (int i = 0; i < 640 * 480; ++i) rgb.push_back(palette[pixels[i]] & 0xFFFFFF);
  ResetDisplay();
  return rgb;
}

int Mismatches(const Screenshot& shot, const std::vector<uint32_t>& expected, const Area& a) {
  if (shot.width != 640 || shot.height != 480 || expected.size() != 640u * 480u) return -1;
  int differing = 0;
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left; x < a.right; ++x) {
      if (shot.At(x, y) != expected[static_cast<size_t>(y * 640 + x)]) ++differing;
    }
  }
  return differing;
}

// Takes screenshots until every area matches (a drifting balloon may cover one for a while).
bool ScreenShows(e2e::XSession& session, const std::vector<uint32_t>& expected,
                 const std::vector<Area>& areas, int timeoutMs, int* lastMismatch) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  Screenshot shot;
  do {
    if (session.Capture(&shot)) {
      int total = 0;
      for (const Area& a : areas) total += Mismatches(shot, expected, a);
      *lastMismatch = total;
      if (total == 0) return true;
    }
    SleepMs(50);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

struct Blob {
  int left = 640, top = 480, right = 0, bottom = 0, blocks = 0;
};

// Groups of lit 8 x 8 blocks in the playfield, away from the parked pointer.
std::vector<Blob> Blobs(const Screenshot& shot) {
  constexpr int kBlocks = 60;
  std::vector<int> lit(kBlocks * kBlocks, 0);
  for (int by = 0; by < kBlocks; ++by) {
    for (int bx = 0; bx < kBlocks; ++bx) {
      if (bx < 5 && by > 55) continue;  // the cross-hair around the parked pointer
      for (int y = by * 8; y < by * 8 + 8 && lit[by * kBlocks + bx] == 0; ++y) {
        for (int x = bx * 8; x < bx * 8 + 8; ++x) {
          if (shot.At(x, y) != 0) {
            lit[by * kBlocks + bx] = 1;
            break;
          }
        }
      }
    }
  }
  std::vector<Blob> blobs;
  std::vector<int> stack;
  for (int start = 0; start < kBlocks * kBlocks; ++start) {
    if (lit[start] != 1) continue;
    Blob blob;
    stack.push_back(start);
    lit[start] = 2;
    while (!stack.empty()) {
      const int i = stack.back();
      stack.pop_back();
      const int bx = i % kBlocks;
      const int by = i / kBlocks;
      blob.left = std::min(blob.left, bx * 8);
      blob.top = std::min(blob.top, by * 8);
      blob.right = std::max(blob.right, bx * 8 + 8);
      blob.bottom = std::max(blob.bottom, by * 8 + 8);
      ++blob.blocks;
      const int next[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
      for (const auto& d : next) {
        const int nx = bx + d[0];
        const int ny = by + d[1];
        if (nx < 0 || ny < 0 || nx >= kBlocks || ny >= kBlocks) continue;
        if (lit[ny * kBlocks + nx] != 1) continue;
        lit[ny * kBlocks + nx] = 2;
        stack.push_back(ny * kBlocks + nx);
      }
    }
    blobs.push_back(blob);
  }
  return blobs;
}

// A balloon that barely moved between two screenshots 50 ms apart: hovering, not rising.
bool FindHoveringBalloon(e2e::XSession& session, int* x, int* y) {
  Screenshot first;
  Screenshot second;
  if (!session.Capture(&first)) return false;
  SleepMs(50);
  if (!session.Capture(&second)) return false;
  for (const Blob& now : Blobs(second)) {
    if (now.blocks < 20 || now.top < 8 || now.bottom > 472) continue;  // whole balloons only
    for (const Blob& before : Blobs(first)) {
      const int rise = before.top - now.top;
      if (std::abs(before.left - now.left) <= 8 && rise >= 0 && rise <= 8 &&
          std::abs(before.blocks - now.blocks) <= 6) {
        *x = (now.left + now.right) / 2;
        *y = now.top + 24;  // the body's middle, a little above the cell's centre
        return true;
      }
    }
  }
  return false;
}

class DisplayEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing;
    if (!e2e::ToolsAvailable(&missing)) GTEST_SKIP() << missing << " is not installed";
    game_ = std::getenv("SKYPOP_GAME") != nullptr ? std::getenv("SKYPOP_GAME") : "";
    if (game_.empty()) GTEST_SKIP() << "SKYPOP_GAME names no game binary";
  }
  std::string game_;
};

TEST_F(DisplayEndToEndTest, TitleClickToStartPopABalloonAndLeave) {
  const auto title = Compose([] { game.gameMode = kModeTitle; });
  ASSERT_FALSE(title.empty()) << "the built-in sheet did not load";
  const auto start = Compose([] {
    game.gameMode = kModePlaying;
    game.playPhase = kPhaseStart;
  });
  std::vector<std::vector<uint32_t>> scored;
  for (int points : {100, 90, 80}) {
    scored.push_back(Compose([points] {
      game.gameMode = kModePlaying;
      game.playPhase = kPhaseWave;
      game.score = points;
    }));
  }

  e2e::XSession session;
  ASSERT_TRUE(session.StartScreen()) << session.error();
  ASSERT_TRUE(session.StartGame(game_)) << session.error();
  session.MoveMouse(kParkX, kParkY);
  ASSERT_TRUE(session.Focus());

  int mismatch = 0;
  ASSERT_TRUE(ScreenShows(session, title, {kTitleText, kScoreColumn}, 5000, &mismatch))
      << "title not shown; " << mismatch << " pixels differ";

  session.MoveMouse(240, 300);
  session.Tap();
  session.MoveMouse(kParkX, kParkY);
  ASSERT_TRUE(ScreenShows(session, start, {kStartText, kScoreColumn}, 2000, &mismatch))
      << "START not shown after the tap; " << mismatch << " pixels differ";

  bool popped = false;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!popped && std::chrono::steady_clock::now() < giveUp) {
    int x = 0;
    int y = 0;
    if (!FindHoveringBalloon(session, &x, &y)) continue;
    session.MoveMouse(x, y - 4);  // it rises a pixel a tick while the pointer travels
    session.Tap();
    session.MoveMouse(kParkX, kParkY);
    for (const auto& expected : scored) {
      if (ScreenShows(session, expected, {kScoreColumn}, 300, &mismatch)) popped = true;
    }
  }
  EXPECT_TRUE(popped) << "no click on a hovering balloon showed 100, 90 or 80 points";

  session.PressKey("Escape");
  EXPECT_EQ(session.WaitForExit(10000), 0);
}

}  // namespace

// Opening and closing the display: each step's failure text, and a close that releases exactly
// what was made.
#include <string>

#include "display/drawing.h"
#include "display_fixture.h"
#include "test_bitmap.h"

namespace {

using platform::VideoStep;
using testing_support::ShownMessages;

struct StepFailure {
  VideoStep step;
  int after;  // calls of the step that still succeed first
  std::vector<std::string> texts;
};

class OpenDisplayStepTest : public testing_support::DisplayTest,
                            public ::testing::WithParamInterface<StepFailure> {};

TEST_P(OpenDisplayStepTest, ReportsTheStepClosesEverythingAndDestroysTheWindow) {
  const StepFailure& failure = GetParam();
  platform::FailVideoStep(failure.step, 1, failure.after);
  EXPECT_EQ(OpenWith(testing_support::BuildSyntheticSheet()), 0);
  std::vector<std::string> texts;
  for (const auto& m : ShownMessages()) {
    EXPECT_EQ(m.caption, "DirectDraw Function");
    texts.push_back(m.text);
  }
  EXPECT_EQ(texts, failure.texts);
  EXPECT_GE(testing_support::DestroyRequests(), 1);
  EXPECT_EQ(displayContext.directDraw, nullptr);
  EXPECT_EQ(displayContext.primary, nullptr);
  EXPECT_EQ(displayContext.backBuffer, nullptr);
  EXPECT_EQ(displayContext.sheet, nullptr);
  EXPECT_EQ(displayContext.palette, nullptr);
  EXPECT_FALSE(platform::DeviceIsLive());
  EXPECT_EQ(platform::LiveSurfaceCount(), 0);
  EXPECT_EQ(platform::LivePaletteCount(), 0);
  // Whatever the game still draws after the failure touches nothing.
  FillScreen(nullptr, 3);
  DrawText(nullptr, 0, 0, "A", 0);
  FlipScreen(nullptr);
  EXPECT_EQ(platform::ShownFrameCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, OpenDisplayStepTest,
    ::testing::Values(
        StepFailure{VideoStep::kCreateDevice, 0, {"ERROR DirectDraw Create"}},
        StepFailure{VideoStep::kFullScreen, 0, {"ERROR DirectDraw CooperativeLevel"}},
        StepFailure{VideoStep::kPictureMode, 0, {"ERROR DirectDraw DisplayMode"}},
        StepFailure{VideoStep::kFlipChain, 0, {"ERROR DirectDraw CreateSurface"}},
        StepFailure{VideoStep::kBackBuffer, 0, {"ERROR DirectDraw CreateBackBuffer"}},
        StepFailure{VideoStep::kOffscreen, 0, {"ERROR DirectDraw OffScreen"}},
        StepFailure{VideoStep::kPalette, 0, {"ERROR:", "ERROR Load BitMap"}},
        StepFailure{VideoStep::kAttachPalette, 0, {"ERROR:", "ERROR Load BitMap"}},
        // The sheet copy's lock is reported without closing; the failed load then closes.
        StepFailure{VideoStep::kLock, 0, {"デバイスコンテキスト取得に失敗", "ERROR Load BitMap"}},
        StepFailure{VideoStep::kLock, 1, {"ERROR GetBG Color"}}),
    [](const ::testing::TestParamInfo<StepFailure>& param) {
      return "Step" + std::to_string(static_cast<int>(param.param.step)) + "After" +
             std::to_string(param.param.after);
    });

class CloseDisplayTest : public testing_support::DisplayTest {};

TEST_F(CloseDisplayTest, ClosingTwiceOrWhileClosedIsHarmless) {
  CloseDisplay();
  ASSERT_EQ(OpenWith(testing_support::BuildSyntheticSheet()), 1);
  EXPECT_EQ(platform::LiveSurfaceCount(), 3);  // primary, its back buffer, the sheet
  EXPECT_EQ(platform::LivePaletteCount(), 1);
  CloseDisplay();
  CloseDisplay();
  EXPECT_EQ(platform::LiveSurfaceCount(), 0);
  EXPECT_EQ(platform::LivePaletteCount(), 0);
  EXPECT_FALSE(platform::DeviceIsLive());
  EXPECT_EQ(displayContext.backBuffer, nullptr);
  // The description the entry filled in survives for a later open.
  EXPECT_EQ(OpenDisplay(testing_support::RecordingWindow()), 1);
  EXPECT_TRUE(ShownMessages().empty());
}

}  // namespace

// Opens the display without a screen on a sheet the test chooses, and puts everything back after.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "display/display.h"
#include "machine/resources.h"
#include "machine/video.h"
#include "recording_window.h"

namespace testing_support {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDisplay();
    platform::ResetVideoTestState();
    platform::ClearResourceOverrides();
    ClearRecordedWindow();
    displayContext.spriteTable = kSpriteTable.data();
    displayContext.sheetName = "char";
    displayContext.sheetWidth = 512;
    displayContext.sheetHeight = 512;
  }

  void TearDown() override {
    ResetDisplay();
    platform::ResetVideoTestState();
    platform::ClearResourceOverrides();
    ClearRecordedWindow();
  }

  // Makes `bytes` the CHAR bitmap and opens the display on it.
  int OpenWith(std::vector<uint8_t> bytes) {
    sheetBytes_ = std::move(bytes);
    platform::OverrideResource("CHAR", platform::ResourceType::kBitmap, sheetBytes_.data(),
                               sheetBytes_.size());
    return OpenDisplay(testing_support::RecordingWindow());
  }

  static uint8_t* Pixels(platform::Surface* surface) {
    platform::SurfaceLock lock{};
    EXPECT_EQ(platform::LockSurface(surface, &lock), platform::kVideoOk);
    platform::UnlockSurface(surface);
    return lock.pixels;
  }
  static uint8_t* Back() { return Pixels(displayContext.backBuffer); }
  static uint8_t* Sheet() { return Pixels(displayContext.sheet); }
  static uint8_t BackAt(int x, int y) { return Back()[y * 640 + x]; }
  static uint8_t SheetAt(int x, int y) { return Sheet()[y * 512 + x]; }

  std::vector<uint8_t> sheetBytes_;
};

}  // namespace testing_support

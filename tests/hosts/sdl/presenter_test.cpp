// The window's presenter under SDL's dummy video driver: the picture reaches the renderer through
// the palette, fills the window in 4:3 with black bars, and Alt+Enter switches the window mode.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "display/display.h"
#include "display/drawing.h"
#include "hosts/sdl/sdl_window.h"
#include "machine/resources.h"
#include "test_bitmap.h"

namespace {

class PresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_.sdl = SDL_CreateWindow("presenter", 0, 0, 640, 480, 0);
    ASSERT_NE(window_.sdl, nullptr) << SDL_GetError();
    ResetDisplay();
    testing_support::BitmapSpec spec;
    spec.colour = [](int k) { return k == 7 ? 0xFF8000u : k == 9 ? 0x00FF00u : 0x000000u; };
    sheet_ = testing_support::BuildBitmap(spec);
    platform::OverrideResource("CHAR", platform::ResourceType::kBitmap, sheet_.data(),
                               sheet_.size());
    displayContext.spriteTable = kSpriteTable.data();
    displayContext.sheetName = "char";
    displayContext.sheetWidth = 512;
    displayContext.sheetHeight = 512;
    ASSERT_EQ(OpenDisplay(&window_), 1);
  }

  void TearDown() override {
    ResetDisplay();
    platform::ClearResourceOverrides();
    if (window_.sdl != nullptr) SDL_DestroyWindow(window_.sdl);
    SDL_Quit();
  }

  // A frame of colour 7 on the left half and colour 9 on the right.
  void ShowHalves() {
    FillScreen(&window_, 9);
    FillRect(&window_, 0, 0, 320, 480, 7);
    FlipScreen(&window_);
  }

  uint32_t OutputPixel(int x, int y) {
    uint32_t pixel = 0;
    const SDL_Rect one{x, y, 1, 1};
    EXPECT_EQ(SDL_RenderReadPixels(window_.renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4), 0)
        << SDL_GetError();
    return pixel & 0xFFFFFF;
  }

  void UseWindowOfSize(int w, int h) {
    SDL_SetWindowFullscreen(window_.sdl, 0);
    SDL_SetWindowSize(window_.sdl, w, h);
    SDL_PumpEvents();
  }

  platform::Window window_;
  std::vector<uint8_t> sheet_;
};

TEST_F(PresenterTest, RendererLivesExactlyAsLongAsTheDisplay) {
  EXPECT_NE(window_.renderer, nullptr);
  CloseDisplay();
  EXPECT_EQ(window_.renderer, nullptr);
}

TEST_F(PresenterTest, PictureFillsAFourThreeWindowThroughThePalette) {
  UseWindowOfSize(1280, 960);
  ShowHalves();
  int w = 0;
  int h = 0;
  SDL_GetRendererOutputSize(window_.renderer, &w, &h);
  ASSERT_EQ(w, 1280);
  EXPECT_EQ(OutputPixel(0, 0), 0xFF8000u);
  EXPECT_EQ(OutputPixel(639, 959), 0xFF8000u);
  EXPECT_EQ(OutputPixel(640, 0), 0x00FF00u);  // an exact doubling keeps the edge sharp
  EXPECT_EQ(OutputPixel(1279, 959), 0x00FF00u);
}

TEST_F(PresenterTest, WideWindowGetsBlackBarsAndAnUnevenScaleStaysCrispInside) {
  UseWindowOfSize(1000, 600);  // picture 800 x 600 in the middle, bars of 100 each side
  ShowHalves();
  EXPECT_EQ(OutputPixel(50, 300), 0u);
  EXPECT_EQ(OutputPixel(950, 300), 0u);
  EXPECT_EQ(OutputPixel(102, 300), 0xFF8000u);
  EXPECT_EQ(OutputPixel(495, 10), 0xFF8000u);
  EXPECT_EQ(OutputPixel(505, 590), 0x00FF00u);
  EXPECT_EQ(OutputPixel(897, 300), 0x00FF00u);
}

TEST_F(PresenterTest, MouseArrivesInPicturePixelsWhateverTheWindowSize) {
  UseWindowOfSize(1000, 600);  // picture 800 x 600 from x 100
  ShowHalves();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = SDL_GetWindowID(window_.sdl);
  motion.motion.x = 500;
  motion.motion.y = 300;
  SDL_PushEvent(&motion);
  SDL_Event got{};
  ASSERT_EQ(SDL_PollEvent(&got), 1);
  ASSERT_EQ(got.type, SDL_MOUSEMOTION);
  EXPECT_EQ(got.motion.x, 320);
  EXPECT_EQ(got.motion.y, 240);
}

TEST_F(PresenterTest, AltEnterSwitchesBetweenFullScreenAndAWindow) {
  const bool fullBefore = (SDL_GetWindowFlags(window_.sdl) & SDL_WINDOW_FULLSCREEN) != 0;
  EXPECT_TRUE(fullBefore);
  SDL_Event press{};
  press.type = SDL_KEYDOWN;
  press.key.keysym.sym = SDLK_RETURN;
  press.key.keysym.mod = KMOD_LALT;
  SDL_PushEvent(&press);
  ShowHalves();  // the switch happens at the next present
  EXPECT_EQ(SDL_GetWindowFlags(window_.sdl) & SDL_WINDOW_FULLSCREEN, 0u);
  SDL_PushEvent(&press);
  ShowHalves();
  EXPECT_NE(SDL_GetWindowFlags(window_.sdl) & SDL_WINDOW_FULLSCREEN, 0u);
  // Enter without Alt is the game's business.
  press.key.keysym.mod = KMOD_NONE;
  SDL_PushEvent(&press);
  ShowHalves();
  EXPECT_NE(SDL_GetWindowFlags(window_.sdl) & SDL_WINDOW_FULLSCREEN, 0u);
}

}  // namespace

// The window under SDL's dummy video driver, and the message box's stand-ins.
#include "hosts/sdl/sdl_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "host/messages.h"
#include "host/window.h"
#include "machine/message_box.h"
#include "machine/message_queue.h"
#include "machine/resources.h"

namespace {

using platform::Message;
using platform::MessageKind;

int destroyMessages = 0;
int32_t CountingProcedure(WindowHandle window, const Message& message) {
  if (message.kind == MessageKind::kDestroy) {
    ++destroyMessages;
    EXPECT_NE(window->sdl, nullptr);  // the teardown still sees a live window
  }
  return 0;
}

// Nothing here may ever reach a real screen: a message box there would block the test run.
void UseDummyVideo() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
}

TEST(GameWindowTest, CreatedFullScreenWithCaptionAndDestroyedOnce) {
  UseDummyVideo();
  destroyMessages = 0;
  WindowHandle window = platform::CreateGameWindow("SKYPOP FRENZY", CountingProcedure);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  EXPECT_STREQ(SDL_GetWindowTitle(window->sdl), "SKYPOP FRENZY");
  const Uint32 flags = SDL_GetWindowFlags(window->sdl);
  EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
  EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
  platform::ResetPostedMessages();
  platform::ShowWindow(window);
  EXPECT_FALSE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_HIDDEN);
  // Without a screen there is no focus to wait for: showing the window activates the game.
  Message activation{};
  ASSERT_TRUE(platform::TakePostedMessage(&activation));
  EXPECT_EQ(activation.kind, MessageKind::kActivateApp);
  EXPECT_EQ(activation.wParam, 1u);
  platform::ShowPointer(false);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

  platform::DestroyWindow(window);
  platform::DestroyWindow(window);
  EXPECT_EQ(destroyMessages, 1);
  EXPECT_TRUE(window->destroyed);
  EXPECT_EQ(window->sdl, nullptr);
  platform::ShutDownPlatform();
  EXPECT_EQ(destroyMessages, 1);
}

TEST(GameWindowTest, EmbeddedIconIsABitmapSdlCanRead) {
  platform::ResourceBytes icon;
  if (!platform::FindResource("MYICON", platform::ResourceType::kIcon, &icon)) {
    GTEST_SKIP() << "no MYICON embedded in this build";
  }
  SDL_Surface* surface =
      SDL_LoadBMP_RW(SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size)), 1);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  EXPECT_GE(surface->w, 16);
  EXPECT_EQ(surface->w, surface->h);
  SDL_FreeSurface(surface);
}

TEST(GameWindowTest, BrokenOrMissingIconIsNoReasonToFail) {
  UseDummyVideo();
  static const uint8_t kNotABitmap[] = {'B', 'M', 1, 2, 3};
  platform::OverrideResource("MYICON", platform::ResourceType::kIcon, kNotABitmap,
                             sizeof kNotABitmap);
  WindowHandle window = platform::CreateGameWindow("SKYPOP FRENZY", CountingProcedure);
  EXPECT_NE(window, nullptr);
  platform::ShutDownPlatform();
  platform::ClearResourceOverrides();
  platform::HideResource("MYICON", platform::ResourceType::kIcon);
  window = platform::CreateGameWindow("SKYPOP FRENZY", CountingProcedure);
  EXPECT_NE(window, nullptr);
  platform::ShutDownPlatform();
  platform::ClearResourceOverrides();
}

TEST(GameWindowTest, ShutDownDestroysAWindowThatWasNeverDestroyed) {
  UseDummyVideo();
  destroyMessages = 0;
  WindowHandle window = platform::CreateGameWindow("SKYPOP FRENZY", CountingProcedure);
  ASSERT_NE(window, nullptr);
  // A signal closes the game, and is remembered so that no message box waits for a player.
  EXPECT_FALSE(platform::EndedBySignal());
  std::raise(SIGTERM);
  Message message{};
  while (platform::WindowMessages().PeekMessage(&message) && message.kind != MessageKind::kClose) {
  }
  EXPECT_EQ(message.kind, MessageKind::kClose);
  platform::ShutDownPlatform();
  EXPECT_EQ(destroyMessages, 1);
  EXPECT_TRUE(platform::EndedBySignal());
}

std::string hookedText;
std::string hookedCaption;
void Hook(const char* text, const char* caption) {
  hookedText = text;
  hookedCaption = caption;
}

TEST(MessageBoxTest, HookReceivesTheBoxInsteadOfTheScreen) {
  platform::SetMessageBoxHook(Hook);
  platform::MessageBox(nullptr, "ERROR Load BitMap", "DirectDraw Function");
  platform::SetMessageBoxHook(nullptr);
  EXPECT_EQ(hookedText, "ERROR Load BitMap");
  EXPECT_EQ(hookedCaption, "DirectDraw Function");
}

TEST(MessageBoxTest, WithoutAScreenTheTextGoesToStandardError) {
  UseDummyVideo();
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  testing::internal::CaptureStderr();
  platform::MessageBox(nullptr, "ERROR DirectDraw CooperativeLevel", "DirectDraw Function");
  const std::string printed = testing::internal::GetCapturedStderr();
  SDL_Quit();
  EXPECT_NE(printed.find("DirectDraw Function: ERROR DirectDraw CooperativeLevel"),
            std::string::npos);
}

}  // namespace

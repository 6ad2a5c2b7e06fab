// Which SDL events become which window messages, and the order the game's queue gives them in.
#include "hosts/sdl/sdl_messages.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "host/messages.h"
#include "machine/message_queue.h"
#include "machine/player_settings.h"

namespace {

using platform::Message;
using platform::MessageKind;

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.keysym.mod = mod;
  return event;
}

SDL_Event WindowEvent(Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  return event;
}

SDL_Event Motion(int x, int y) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  return event;
}

SDL_Event Button(Uint32 type, Uint8 button) {
  SDL_Event event{};
  event.type = type;
  event.button.button = button;
  event.button.x = 5;
  event.button.y = 6;
  return event;
}

TEST(SdlMessagesTest, KeysCarryTheirVirtualKeyCodes) {
  const struct {
    SDL_Keycode key;
    uint32_t code;
  } table[] = {{SDLK_ESCAPE, 0x1B}, {SDLK_SPACE, 0x20}, {SDLK_LEFT, 0x25}, {SDLK_UP, 0x26},
               {SDLK_RIGHT, 0x27},  {SDLK_DOWN, 0x28},  {SDLK_x, 0x58},    {SDLK_z, 0x5A},
               {SDLK_a, 0x41},      {SDLK_0, 0x30},     {SDLK_F4, 0x73}};
  for (const auto& row : table) {
    Message message{};
    ASSERT_TRUE(platform::TranslateEvent(KeyEvent(SDL_KEYDOWN, row.key), &message));
    EXPECT_EQ(message.kind, MessageKind::kKeyDown);
    EXPECT_EQ(message.wParam, row.code);
    ASSERT_TRUE(platform::TranslateEvent(KeyEvent(SDL_KEYUP, row.key), &message));
    EXPECT_EQ(message.kind, MessageKind::kKeyUp);
    EXPECT_EQ(message.wParam, row.code);
  }
  Message message{};
  EXPECT_FALSE(platform::TranslateEvent(KeyEvent(SDL_KEYDOWN, SDLK_LSHIFT), &message));
}

TEST(SdlMessagesTest, CloseComesFromTheCloseButtonAltF4AndQuit) {
  Message message{};
  ASSERT_TRUE(platform::TranslateEvent(KeyEvent(SDL_KEYDOWN, SDLK_F4, KMOD_LALT), &message));
  EXPECT_EQ(message.kind, MessageKind::kClose);
  ASSERT_TRUE(platform::TranslateEvent(WindowEvent(SDL_WINDOWEVENT_CLOSE), &message));
  EXPECT_EQ(message.kind, MessageKind::kClose);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_TRUE(platform::TranslateEvent(quit, &message));
  EXPECT_EQ(message.kind, MessageKind::kClose);
}

TEST(SdlMessagesTest, FocusAndMinimiseGiveActivation) {
  const struct {
    Uint8 what;
    uint32_t active;
  } table[] = {{SDL_WINDOWEVENT_FOCUS_GAINED, 1},
               {SDL_WINDOWEVENT_FOCUS_LOST, 0},
               {SDL_WINDOWEVENT_MINIMIZED, 0},
               {SDL_WINDOWEVENT_RESTORED, 1}};
  for (const auto& row : table) {
    Message message{};
    ASSERT_TRUE(platform::TranslateEvent(WindowEvent(row.what), &message));
    EXPECT_EQ(message.kind, MessageKind::kActivateApp);
    EXPECT_EQ(message.wParam, row.active);
  }
  Message message{};
  EXPECT_FALSE(platform::TranslateEvent(WindowEvent(SDL_WINDOWEVENT_EXPOSED), &message));
}

TEST(SdlMessagesTest, PointerIsClampedToThePicture) {
  const struct {
    int x, y;
    uint32_t wantX, wantY;
  } table[] = {{320, 240, 320, 240}, {-5, 600, 0, 479}, {700, -1, 639, 0}, {639, 479, 639, 479}};
  for (const auto& row : table) {
    Message message{};
    ASSERT_TRUE(platform::TranslateEvent(Motion(row.x, row.y), &message));
    EXPECT_EQ(message.kind, MessageKind::kMouseMove);
    EXPECT_EQ(message.lParam & 0xFFFF, row.wantX);
    EXPECT_EQ(message.lParam >> 16, row.wantY);
  }
}

TEST(SdlMessagesTest, LeftAndRightButtonsOnly) {
  Message message{};
  ASSERT_TRUE(platform::TranslateEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), &message));
  EXPECT_EQ(message.kind, MessageKind::kLeftButtonDown);
  ASSERT_TRUE(platform::TranslateEvent(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), &message));
  EXPECT_EQ(message.kind, MessageKind::kLeftButtonUp);
  ASSERT_TRUE(platform::TranslateEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), &message));
  EXPECT_EQ(message.kind, MessageKind::kRightButtonDown);
  ASSERT_TRUE(platform::TranslateEvent(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT), &message));
  EXPECT_EQ(message.kind, MessageKind::kRightButtonUp);
  EXPECT_FALSE(platform::TranslateEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE), &message));
}

class WindowMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    platform::ResetPostedMessages();
  }
  void TearDown() override {
    platform::ResetPostedMessages();
    SDL_Quit();
  }
};

TEST_F(WindowMessagesTest, PostedMessagesComeFirstAndUnknownEventsAreSkipped) {
  SDL_Event ignored = WindowEvent(SDL_WINDOWEVENT_EXPOSED);
  SDL_Event motion = Motion(10, 20);
  SDL_PushEvent(&ignored);
  SDL_PushEvent(&motion);
  platform::PostQuitMessage(0);
  platform::MessageSource& source = platform::WindowMessages();
  Message message{};
  ASSERT_TRUE(source.PeekMessage(&message));
  EXPECT_EQ(message.kind, MessageKind::kQuit);
  ASSERT_TRUE(source.PeekMessage(&message));
  EXPECT_EQ(message.kind, MessageKind::kMouseMove);
  EXPECT_EQ(message.lParam, platform::PackPosition(10, 20));
  EXPECT_FALSE(source.PeekMessage(&message));
}

TEST_F(WindowMessagesTest, EventThatEndsAWaitIsNotLost) {
  SDL_Event down = KeyEvent(SDL_KEYDOWN, SDLK_SPACE);
  SDL_PushEvent(&down);
  platform::MessageSource& source = platform::WindowMessages();
  source.WaitMessage(1000);  // returns at once: an event waits
  Message message{};
  ASSERT_TRUE(source.PeekMessage(&message));
  EXPECT_EQ(message.kind, MessageKind::kKeyDown);
  EXPECT_EQ(message.wParam, platform::kKeySpace);
  source.WaitMessage(1);  // nothing waits: it just times out
  EXPECT_FALSE(source.PeekMessage(&message));
}

TEST(SdlMessagesTest, MuteAndVolumeKeysAreTheDesktopsAndNeverReachTheGame) {
  platform::ResetPlayerSettings();
  const struct {
    SDL_Keycode key;
    Uint16 mod;
    int volume;  // the master volume after the key
    bool muted;
  } presses[] = {
      {SDLK_MINUS, KMOD_NONE, 90, false},    {SDLK_KP_MINUS, KMOD_NONE, 80, false},
      {SDLK_m, KMOD_NONE, 80, true},         {SDLK_m, KMOD_SHIFT, 80, false},
      {SDLK_EQUALS, KMOD_NONE, 90, false},   {SDLK_m, KMOD_NONE, 90, true},
      {SDLK_KP_PLUS, KMOD_NONE, 100, false}, {SDLK_EQUALS, KMOD_NONE, 100, false},
  };
  for (const auto& p : presses) {
    Message out{MessageKind::kQuit, 0, 0};
    EXPECT_FALSE(platform::TranslateEvent(KeyEvent(SDL_KEYDOWN, p.key, p.mod), &out)) << p.key;
    EXPECT_FALSE(platform::TranslateEvent(KeyEvent(SDL_KEYUP, p.key, p.mod), &out)) << p.key;
    EXPECT_EQ(out.kind, MessageKind::kQuit) << "the game saw key " << p.key;
    EXPECT_EQ(platform::CurrentPlayerSettings().masterVolume, p.volume) << p.key;
    EXPECT_EQ(platform::CurrentPlayerSettings().muted, p.muted) << p.key;
  }
  // With Ctrl or Alt held the key is somebody else's shortcut, and the game gets it as ever.
  Message out{};
  ASSERT_TRUE(platform::TranslateEvent(KeyEvent(SDL_KEYDOWN, SDLK_m, KMOD_LCTRL), &out));
  EXPECT_EQ(out.kind, MessageKind::kKeyDown);
  EXPECT_EQ(out.wParam, 0x4Du);
  EXPECT_FALSE(platform::CurrentPlayerSettings().muted);
  platform::ResetPlayerSettings();
}

}  // namespace

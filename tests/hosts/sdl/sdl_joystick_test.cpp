// Joystick 1 on SDL, with SDL's virtual joysticks standing in for real devices.
#include "hosts/sdl/sdl_joystick.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "host/joystick.h"
#include "host/messages.h"

namespace {

using platform::JoystickPosition;
using platform::Message;
using platform::MessageKind;

class JoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    ASSERT_TRUE(platform::CaptureJoystick(nullptr));
  }
  void TearDown() override {
    platform::ReleaseJoystick();
    SDL_Quit();
  }

  // Pumps SDL and translates everything waiting; returns how many joystick messages came out and
  // the kind of the last one.
  int Drain(MessageKind* last = nullptr) {
    SDL_JoystickUpdate();
    int count = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      Message message{};
      if (platform::TranslateJoystickEvent(event, &message)) {
        ++count;
        if (last != nullptr) *last = message.kind;
      }
    }
    return count;
  }

  JoystickPosition Read(bool* attached = nullptr) {
    JoystickPosition position{};
    const bool ok = platform::ReadJoystick(&position);
    if (attached != nullptr) *attached = ok;
    return position;
  }
};

TEST(AxisWordTest, FullSdlRangeMapsOntoTheAxisWord) {
  EXPECT_EQ(platform::AxisWord(-32768), 0u);
  EXPECT_EQ(platform::AxisWord(0), 0x8000u);
  EXPECT_EQ(platform::AxisWord(32767), 0xFFFFu);
}

TEST_F(JoystickTest, NoJoystickReadsCentredAndReleased) {
  bool attached = true;
  const JoystickPosition position = Read(&attached);
  EXPECT_FALSE(attached);
  EXPECT_EQ(position.x, 0x7FFFu);
  EXPECT_EQ(position.y, 0x7FFFu);
  EXPECT_EQ(position.buttons, 0u);
}

TEST_F(JoystickTest, RawJoystickIsPluggedInReadAndPulledOut) {
  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 10, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  MessageKind last{};
  EXPECT_GE(Drain(&last), 1);  // the arrival itself is a message, so the pad is read afresh
  bool attached = false;
  JoystickPosition position = Read(&attached);
  EXPECT_TRUE(attached);

  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_NE(stick, nullptr);
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);
  SDL_JoystickSetVirtualAxis(stick, 1, 32767);
  SDL_JoystickSetVirtualButton(stick, 0, 1);
  SDL_JoystickSetVirtualButton(stick, 1, 1);
  SDL_JoystickSetVirtualButton(stick, 8, 1);
  EXPECT_GE(Drain(), 1);
  position = Read();
  EXPECT_EQ(position.x, 0u);
  EXPECT_EQ(position.y, 0xFFFFu);
  EXPECT_EQ(position.buttons & 0x0103u, 0x0103u);  // buttons 1, 2 and 9

  SDL_JoystickSetVirtualAxis(stick, 0, 0);
  SDL_JoystickSetVirtualAxis(stick, 1, 0);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHTUP);
  SDL_JoystickSetVirtualButton(stick, 0, 0);
  EXPECT_GE(Drain(), 1);
  position = Read();
  EXPECT_EQ(position.x, 0xFFFFu);  // the hat pushes its axes to the ends
  EXPECT_EQ(position.y, 0u);
  EXPECT_EQ(position.buttons & 0x0001u, 0u);

  SDL_JoystickClose(stick);
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  EXPECT_GE(Drain(&last), 1);  // SDL lets go of what was held, then reports the removal
  EXPECT_EQ(last, MessageKind::kJoyMove);
  Read(&attached);
  EXPECT_FALSE(attached);
}

TEST_F(JoystickTest, ControllerUsesItsLayoutAndGivesOneMessagePerChange) {
  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(device));
  Drain();
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_NE(stick, nullptr);
  Drain();

  // The virtual controller's layout: A is button 0, B button 1, Start button 6, D-pad left 13.
  SDL_JoystickSetVirtualButton(stick, 6, 1);
  MessageKind last{};
  EXPECT_EQ(Drain(&last), 1);
  EXPECT_EQ(last, MessageKind::kJoyButtonDown);
  EXPECT_EQ(Read().buttons, platform::kJoyButton9);

  SDL_JoystickSetVirtualButton(stick, 6, 0);
  SDL_JoystickSetVirtualButton(stick, 0, 1);
  SDL_JoystickSetVirtualButton(stick, 1, 1);
  SDL_JoystickSetVirtualButton(stick, 13, 1);
  EXPECT_EQ(Drain(), 4);
  const JoystickPosition position = Read();
  EXPECT_EQ(position.buttons, platform::kJoyButton1 | platform::kJoyButton2);
  EXPECT_EQ(position.x, 0u);  // the D-pad counts as the stick pushed fully
  EXPECT_EQ(position.y, 0x8000u);

  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(device);
  Drain();
}

TEST_F(JoystickTest, SecondStickTakesOverWhenTheFirstIsPulledOut) {
  const int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 10, 0);
  const int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 10, 0);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  Drain();
  SDL_Joystick* other = SDL_JoystickOpen(second);
  SDL_JoystickSetVirtualButton(other, 1, 1);
  EXPECT_EQ(Drain(), 0);  // only joystick 1 speaks
  SDL_JoystickDetachVirtual(first);
  EXPECT_EQ(Drain(), 1);
  EXPECT_EQ(Read().buttons, platform::kJoyButton2);
  SDL_JoystickClose(other);
  SDL_JoystickDetachVirtual(0);
  Drain();
}

}  // namespace

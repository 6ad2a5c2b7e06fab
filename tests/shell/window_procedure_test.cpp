// The window procedure: the key table, activation gating, the mouse, the joystick rebuild and
// the teardown on destroy.
#include "shell/window_procedure.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "machine/message_queue.h"
#include "state/input_state.h"

namespace {

using platform::Message;
using platform::MessageKind;

class WindowProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::record.procedure = WindowProcedure;
  }
  void TearDown() override { fake::Reset(); }

  int32_t Send(const Message& message) { return WindowProcedure(fake::TheWindow(), message); }
  int32_t Send(MessageKind kind) { return Send(fake::Simple(kind)); }
  void Joystick(uint32_t x, uint32_t y, uint32_t buttons) {
    fake::record.joystickAttached = true;
    fake::record.joystick = {x, y, buttons};
    Send(MessageKind::kJoyMove);
  }
};

TEST_F(WindowProcedureTest, KeyTableSetsAndClearsItsBitsAndIgnoresEveryOtherKey) {
  struct Row {
    uint32_t key;
    uint32_t bit;
  };
  const Row table[] = {{0x20, 0x08}, {0x25, 0x20}, {0x26, 0x80}, {0x27, 0x10},
                       {0x28, 0x40}, {0x58, 0x01}, {0x5A, 0x02}};
  Send(fake::Activate(true));
  for (const Row& row : table) {
    EXPECT_EQ(Send(fake::KeyDown(row.key)), 0);
    EXPECT_EQ(input.keyRaw, row.bit) << "key " << row.key;
    Send(fake::KeyDown(row.key));  // auto-repeat sets the same bit again
    EXPECT_EQ(input.keyRaw, row.bit);
    Send(fake::KeyUp(row.key));
    EXPECT_EQ(input.keyRaw, 0u);
  }
  for (uint32_t key = 0; key < 0x100; ++key) {
    if (key == platform::kKeyEscape || KeyButton(key) != 0) continue;
    Send(fake::KeyDown(key));
  }
  EXPECT_EQ(input.keyRaw, 0u);
  EXPECT_FALSE(platform::HasPostedMessage());
  Send(fake::KeyDown(platform::kKeyLeft));  // opposite directions both held set both bits
  Send(fake::KeyDown(platform::kKeyRight));
  EXPECT_EQ(input.keyRaw, uint32_t{kButtonLeft | kButtonRight});
}

TEST_F(WindowProcedureTest, KeyboardIsSwallowedWhileInactiveAndAHeldKeyKeepsItsBit) {
  Send(fake::Activate(true));
  EXPECT_EQ(input.appActive, 1u);
  Send(fake::KeyDown(platform::kKeyX));
  Send(fake::Activate(false));
  EXPECT_EQ(input.appActive, 0u);
  EXPECT_EQ(Send(fake::KeyUp(platform::kKeyX)), 0);  // lost while inactive
  EXPECT_EQ(Send(fake::KeyDown(platform::kKeyZ)), 0);
  EXPECT_EQ(input.keyRaw, uint32_t{kButtonFire1});
  Send(fake::Activate(true));
  Send(fake::KeyUp(platform::kKeyX));
  EXPECT_EQ(input.keyRaw, 0u);
}

TEST_F(WindowProcedureTest, EscapePostsCloseOnlyWhileActiveAndCloseDestroysTheWindow) {
  Send(fake::KeyDown(platform::kKeyEscape));
  EXPECT_FALSE(platform::HasPostedMessage());

  Send(fake::Activate(true));
  Send(fake::KeyUp(platform::kKeyEscape));
  EXPECT_FALSE(platform::HasPostedMessage());
  Send(fake::KeyDown(platform::kKeyEscape));
  Message posted;
  ASSERT_TRUE(platform::TakePostedMessage(&posted));
  EXPECT_EQ(posted.kind, MessageKind::kClose);
  EXPECT_EQ(input.keyRaw, 0u);
  EXPECT_FALSE(fake::record.destroyed);

  // The close goes to the default handling, which destroys the window.
  Send(posted);
  EXPECT_TRUE(fake::record.destroyed);
}

TEST_F(WindowProcedureTest, MouseIsHandledWhetherActiveOrNot) {
  Send(Message{MessageKind::kMouseMove, 0, platform::PackPosition(639, 479)});
  EXPECT_EQ(input.mouseX, 639u);
  EXPECT_EQ(input.mouseY, 479u);
  Send(Message{MessageKind::kMouseMove, 0, 0xFFFF0001u});  // both halves taken without sign
  EXPECT_EQ(input.mouseX, 1u);
  EXPECT_EQ(input.mouseY, 0xFFFFu);
  Send(MessageKind::kLeftButtonDown);
  Send(MessageKind::kRightButtonDown);
  EXPECT_EQ(input.mouseRaw, kMouseLeft | kMouseRight);
  EXPECT_EQ(input.mouseX, 1u);         // buttons carry no position
  Send(MessageKind::kLeftButtonDown);  // a quick second click is an ordinary press
  Send(MessageKind::kLeftButtonUp);
  EXPECT_EQ(input.mouseRaw, kMouseRight);
  Send(MessageKind::kRightButtonUp);
  EXPECT_EQ(input.mouseRaw, 0u);
}

TEST_F(WindowProcedureTest, JoystickThresholdsAreTheMiddleHalfOfEachAxis) {
  EXPECT_EQ(JoystickButtons(0x4000, 0x7FFF, 0), uint32_t{kButtonLeft});
  EXPECT_EQ(JoystickButtons(0x4001, 0x7FFF, 0), 0u);
  EXPECT_EQ(JoystickButtons(0xBFFF, 0x7FFF, 0), 0u);
  EXPECT_EQ(JoystickButtons(0xC000, 0x7FFF, 0), uint32_t{kButtonRight});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0, 0), uint32_t{kButtonUp});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0xFFFF, 0), uint32_t{kButtonDown});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0x7FFF, 0x0001), uint32_t{kButtonFire1});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0x7FFF, 0x0002), uint32_t{kButtonFire2});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0x7FFF, 0x0100), uint32_t{kButtonStart});
  EXPECT_EQ(JoystickButtons(0x7FFF, 0x7FFF, 0xFEFC), 0u);  // other buttons mean nothing
}

TEST_F(WindowProcedureTest, EveryJoystickMessageRebuildsThePadFromAFreshReading) {
  Send(fake::Activate(false));  // handled while inactive too
  Joystick(0x0000, 0x7FFF, 0);
  EXPECT_EQ(input.padRaw, uint32_t{kButtonLeft});
  // A button message with the stick still pushed left keeps the left bit.
  fake::record.joystick.buttons = 0x0101;
  Send(MessageKind::kJoyButtonDown);
  EXPECT_EQ(input.padRaw, uint32_t{kButtonLeft | kButtonFire1 | kButtonStart});
  fake::record.joystick = {0x7FFF, 0x7FFF, 0};
  Send(MessageKind::kJoyButtonUp);
  EXPECT_EQ(input.padRaw, 0u);
  // A failed read (the stick was pulled out) holds nothing.
  Joystick(0xFFFF, 0xFFFF, 0x0003);
  EXPECT_NE(input.padRaw, 0u);
  fake::record.joystickAttached = false;
  Send(MessageKind::kJoyMove);
  EXPECT_EQ(input.padRaw, 0u);
  EXPECT_EQ(input.keyRaw, 0u);  // the keyboard word is the keyboard's alone
}

TEST_F(WindowProcedureTest, DestroyTearsDownInOrderAndPostsQuitWithCodeZero) {
  Send(MessageKind::kDestroy);
  const std::vector<std::string> expected = {"KeepTypedName",  "SaveScoresAtClose",
                                             "CloseDisplay",   "CloseMusic",
                                             "CloseSoundBank", "ReleaseJoystick"};
  EXPECT_EQ(fake::record.calls, expected);
  Message posted;
  ASSERT_TRUE(platform::TakePostedMessage(&posted));
  EXPECT_EQ(posted.kind, MessageKind::kQuit);
  EXPECT_EQ(posted.wParam, 0u);
  EXPECT_FALSE(platform::HasPostedMessage());
}

TEST_F(WindowProcedureTest, QuitGetsThroughAFullPostedQueue) {
  for (int i = 0; i < 64; ++i)
    platform::PostMessage(fake::TheWindow(), fake::Simple(MessageKind::kClose));
  platform::PostQuitMessage(0);
  Message posted{};
  MessageKind last = MessageKind::kClose;
  while (platform::TakePostedMessage(&posted)) last = posted.kind;
  EXPECT_EQ(last, MessageKind::kQuit);
}

}  // namespace

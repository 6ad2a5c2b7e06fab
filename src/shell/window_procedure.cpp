#include "shell/window_procedure.h"

#include "display/display.h"
#include "host/joystick.h"
#include "machine/message_queue.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "sound/music_player.h"
#include "sound/sound_bank.h"
#include "state/input_state.h"

namespace {

using platform::Message;
using platform::MessageKind;

struct KeyBinding {
  uint32_t virtualKey;
  uint32_t button;
};

// Escape is not here: it closes the game instead of setting a bit.
constexpr KeyBinding kKeyTable[] = {
    {platform::kKeySpace, kButtonStart}, {platform::kKeyLeft, kButtonLeft},
    {platform::kKeyUp, kButtonUp},       {platform::kKeyRight, kButtonRight},
    {platform::kKeyDown, kButtonDown},   {platform::kKeyX, kButtonFire1},
    {platform::kKeyZ, kButtonFire2},
};

// Axis thresholds: a quarter of the way in from either end.
constexpr uint32_t kAxisLow = 0x4000;
constexpr uint32_t kAxisHigh = 0xC000;

void TearDown() {
  // However the game is closed: a half-typed name is kept, and the last save may wait a moment
  // for another game's lock.
  KeepTypedName();
  SaveScoresAtClose();
  CloseDisplay();
  CloseMusic();
  CloseSoundBank();
  platform::ReleaseJoystick();
  platform::PostQuitMessage(0);
}

void ReadPad() {
  // Rebuilt from nothing on every joystick message; a failed read (no stick) holds nothing.
  platform::JoystickPosition position{};
  if (!platform::ReadJoystick(&position)) {
    input.padRaw = 0;
    return;
  }
  input.padRaw = JoystickButtons(position.x, position.y, position.buttons);
}

}  // namespace

uint32_t KeyButton(uint32_t virtualKey) {
  for (const KeyBinding& binding : kKeyTable) {
    if (binding.virtualKey == virtualKey) return binding.button;
  }
  return 0;
}

uint32_t JoystickButtons(uint32_t x, uint32_t y, uint32_t buttons) {
  uint32_t pad = 0;
  if (x <= kAxisLow) pad |= kButtonLeft;
  if (x >= kAxisHigh) pad |= kButtonRight;
  if (y <= kAxisLow) pad |= kButtonUp;
  if (y >= kAxisHigh) pad |= kButtonDown;
  if (buttons & platform::kJoyButton1) pad |= kButtonFire1;
  if (buttons & platform::kJoyButton2) pad |= kButtonFire2;
  if (buttons & platform::kJoyButton9) pad |= kButtonStart;
  return pad;
}

int32_t WindowProcedure(WindowHandle window, const Message& message) {
  switch (message.kind) {
    case MessageKind::kDestroy:
      TearDown();
      return 0;
    case MessageKind::kActivateApp:
      input.appActive = message.wParam;
      return 0;
    case MessageKind::kKeyDown:
      // While another application is active the keyboard is swallowed, Escape included.
      if (!input.appActive) return 0;
      if (message.wParam == platform::kKeyEscape) {
        platform::PostMessage(window, Message{MessageKind::kClose, 0, 0});
      }
      input.keyRaw |= KeyButton(message.wParam);
      return 0;
    case MessageKind::kKeyUp:
      if (!input.appActive) return 0;
      input.keyRaw &= ~KeyButton(message.wParam);
      return 0;
    case MessageKind::kMouseMove:
      input.mouseX = message.lParam & 0xFFFF;
      input.mouseY = message.lParam >> 16;
      return 0;
    case MessageKind::kLeftButtonDown:
      input.mouseRaw |= kMouseLeft;
      return 0;
    case MessageKind::kLeftButtonUp:
      input.mouseRaw &= ~kMouseLeft;
      return 0;
    case MessageKind::kRightButtonDown:
      input.mouseRaw |= kMouseRight;
      return 0;
    case MessageKind::kRightButtonUp:
      input.mouseRaw &= ~kMouseRight;
      return 0;
    case MessageKind::kJoyMove:
    case MessageKind::kJoyButtonDown:
    case MessageKind::kJoyButtonUp:
      ReadPad();
      return 0;
    default:
      return platform::DefWindowProc(window, message);
  }
}

// Joystick 1 in the browser: the Gamepad API's first gamepad, read like the desktop's first game
// controller (standard mapping) or, for other devices, like a raw joystick.
#include "host/joystick.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "hosts/web/page_glue.h"

namespace platform {
namespace {

constexpr uint32_t kAxisMin = 0;
constexpr uint32_t kAxisMax = 0xFFFF;
constexpr uint32_t kAxisCentre = 0x7FFF;

// The standard mapping's button numbers.
constexpr int kButtonA = 0;
constexpr int kButtonB = 1;
constexpr int kButtonStart = 9;
constexpr int kDpadUp = 12;
constexpr int kDpadDown = 13;
constexpr int kDpadLeft = 14;
constexpr int kDpadRight = 15;

bool captured = false;
bool attached = false;
JoystickPosition last{kAxisCentre, kAxisCentre, 0};
EmscriptenGamepadEvent pad;  // large: kept here rather than on the stack of every poll

// -1..1 to the 0..65535 word, as the desktop maps its -32768..32767 axes.
uint32_t AxisWord(double axis) {
  const double word = std::round((std::clamp(axis, -1.0, 1.0) + 1.0) * 32767.5);
  return static_cast<uint32_t>(std::clamp(word, 0.0, 65535.0));
}

bool Held(int button) {
  return button < pad.numButtons && pad.digitalButton[button];
}

// Reads gamepad 0 into *out; false when there is none.
bool Sample(JoystickPosition* out) {
  *out = JoystickPosition{kAxisCentre, kAxisCentre, 0};
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
  if (emscripten_get_num_gamepads() < 1) return false;
  if (emscripten_get_gamepad_status(0, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected) {
    return false;
  }
  if (pad.numAxes > 0) out->x = AxisWord(pad.axis[0]);
  if (pad.numAxes > 1) out->y = AxisWord(pad.axis[1]);
  const bool standard = std::string_view(pad.mapping) == "standard";
  if (!standard) {
    // Button n of the device is bit n-1 of the button word, as far as the word reaches.
    for (int i = 0; i < pad.numButtons && i < 32; ++i) {
      if (pad.digitalButton[i]) out->buttons |= 1u << i;
    }
    return true;
  }
  // A pressed D-pad direction pushes its axis to the end, as a stick pushed fully would.
  if (Held(kDpadLeft)) out->x = kAxisMin;
  if (Held(kDpadRight)) out->x = kAxisMax;
  if (Held(kDpadUp)) out->y = kAxisMin;
  if (Held(kDpadDown)) out->y = kAxisMax;
  if (Held(kButtonA)) out->buttons |= kJoyButton1;
  if (Held(kButtonB)) out->buttons |= kJoyButton2;
  if (Held(kButtonStart)) out->buttons |= kJoyButton9;
  return true;
}

}  // namespace

bool CaptureJoystick(WindowHandle) {
  captured = true;
  attached = Sample(&last);
  return true;
}

bool ReadJoystick(JoystickPosition* out) {
  *out = attached ? last : JoystickPosition{kAxisCentre, kAxisCentre, 0};
  return attached;
}

void ReleaseJoystick() {
  captured = false;
  attached = false;
  last = JoystickPosition{kAxisCentre, kAxisCentre, 0};
}

bool PollJoystick(Message* out) {
  if (!captured) return false;
  JoystickPosition now{};
  const bool present = Sample(&now);
  const JoystickPosition before = last;
  const bool wasAttached = attached;
  last = now;
  attached = present;
  if (present != wasAttached || now.x != before.x || now.y != before.y) {
    *out = Message{MessageKind::kJoyMove, 0, 0};
    return true;
  }
  if (now.buttons == before.buttons) return false;
  const bool pressed = (now.buttons & ~before.buttons) != 0;
  *out = Message{pressed ? MessageKind::kJoyButtonDown : MessageKind::kJoyButtonUp, 0, 0};
  return true;
}

}  // namespace platform

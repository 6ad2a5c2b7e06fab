// Joystick 1: the first game controller or joystick attached, hot-pluggable.
#pragma once

#include <cstdint>

#include "host/window_handle.h"

namespace platform {

// Bits of JoystickPosition::buttons.
constexpr uint32_t kJoyButton1 = 0x0001;  // a controller's A
constexpr uint32_t kJoyButton2 = 0x0002;  // a controller's B
constexpr uint32_t kJoyButton9 = 0x0100;  // a controller's Start

// One reading of joystick 1: axes 0..65535 with the centre near 0x7FFF, a word of buttons.
struct JoystickPosition {
  uint32_t x;
  uint32_t y;
  uint32_t buttons;
};

// Starts sending joystick 1 messages to the window; false when joysticks are not supported.
bool CaptureJoystick(WindowHandle window);
// Reads joystick 1 now; false (centred, nothing held) when none is attached.
bool ReadJoystick(JoystickPosition* out);
// Stops the joystick messages and lets the device go; safe when not captured.
void ReleaseJoystick();

}  // namespace platform

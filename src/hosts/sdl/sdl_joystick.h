// The SDL side of joystick 1 that the event translation needs.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host/messages.h"

namespace platform {

// Turns a joystick or controller event into a joystick 1 message, opening or letting go of the
// device as they come and go. False when the event is not about joystick 1.
bool TranslateJoystickEvent(const SDL_Event& event, Message* out);

// An SDL axis value (-32768..32767) as the game's 0..65535 axis word.
constexpr uint32_t AxisWord(int32_t value) {
  return static_cast<uint32_t>(value + 32768);
}

}  // namespace platform

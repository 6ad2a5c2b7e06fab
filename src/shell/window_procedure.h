// The game's window procedure: turns the window's messages into the raw input words, quits on
// Escape and tears every subsystem down when the window is destroyed.
#pragma once

#include <cstdint>

#include "host/messages.h"
#include "host/window_handle.h"

// Handles one message; 0 for what it handled, DefWindowProc's answer for the rest.
int32_t WindowProcedure(WindowHandle window, const platform::Message& message);

// The pad bit of a virtual-key code in the key table; 0 for keys that have none.
uint32_t KeyButton(uint32_t virtualKey);

// The pad bits of one joystick reading: the middle half of each axis is dead.
uint32_t JoystickButtons(uint32_t x, uint32_t y, uint32_t buttons);

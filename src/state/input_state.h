// The raw input words the window procedure keeps, and the per-tick edges the frame loop derives.
#pragma once

#include <cstdint>

// Pad buttons, shared by the keyboard and joystick 1.
enum ButtonMask : uint32_t {
  kButtonFire1 = 0x01,
  kButtonFire2 = 0x02,
  kButtonStart = 0x08,
  kButtonRight = 0x10,
  kButtonLeft = 0x20,
  kButtonDown = 0x40,
  kButtonUp = 0x80,
};

// Mouse button bits of mouseRaw, mousePrev and mousePressed.
constexpr uint32_t kMouseLeft = 0x01;
constexpr uint32_t kMouseRight = 0x02;

struct InputState {
  uint32_t keyRaw;        // pad bits of the keys held (window procedure)
  uint32_t keyPrev;       // keyRaw at the previous tick
  uint32_t padRaw;        // pad bits held on joystick 1 (window procedure)
  uint32_t padPrev;       // padRaw at the previous tick
  uint32_t padPressed;    // pad bits newly held this tick, on either source
  uint32_t mouseRaw;      // mouse buttons held (window procedure)
  uint32_t mousePrev;     // mouseRaw at the previous tick
  uint32_t mousePressed;  // mouse buttons newly held this tick
  uint32_t mouseX;        // last pointer position in picture pixels
  uint32_t mouseY;
  uint32_t appActive;  // nonzero while the game is the active application
};

extern InputState input;

// Puts every input word back to its program-start value (all zero).
void ResetInputState();

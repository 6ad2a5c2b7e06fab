// The fixed-rate frame loop: window messages first, then up to three 16.6 ms ticks, then a
// frame after any pass that ticked.
#pragma once

#include <array>
#include <cstdint>

#include "host/clock.h"
#include "host/messages.h"
#include "host/window_handle.h"

// One tick of game time, in milliseconds (about 60.24 ticks a second).
constexpr double kTickLength = 16.6;
// Ticks one pass may run back to back before it draws and re-bases.
constexpr int kMaxTicksPerPass = 3;
// Messages that may wait behind a held-back release (moves and joystick readings fold into one).
constexpr uint32_t kHeldBackCapacity = 32;

struct FrameLoopState {
  double nextTick;   // clock reading (ms) after which the next tick is due
  uint8_t frameDue;  // set by every tick, cleared once the frame is drawn
  // A release whose press came after the last tick waits for the next one, so that every press
  // is held for at least one tick; the messages behind it wait with it, in order.
  uint8_t holding;        // 1 while the release at the front of heldBack waits for a tick
  uint32_t mouseDowns;    // mouse buttons newly held since the last tick
  uint32_t keyDowns;      // pad bits of keys newly held since the last tick
  uint32_t heldBackHead;  // index of the oldest held-back message
  uint32_t heldBackCount;
  std::array<platform::Message, kHeldBackCapacity> heldBack;
};

extern FrameLoopState frameLoop;

// Puts the loop state back to its program-start values (tests).
void ResetFrameLoop();

// Schedules the first tick one tick length after the clock's current reading.
void StartFrameLoop(platform::Clock& clock);

// One tick: the input edges from the raw words, then StepGame.
void RunTick(WindowHandle window);

// One pass of the loop. Returns false once the quit message arrived, with its exit code in
// *exitCode. Waits on the message source when it had nothing to do. A button or key let go
// before any tick saw it held stays held until one tick has run.
bool RunFramePass(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages,
                  int* exitCode);

// Runs passes until the quit message; returns its exit code.
int RunFrameLoop(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages);

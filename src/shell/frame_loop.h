// The fixed-rate frame loop: window messages first, then up to three 16.6 ms ticks, then a
// frame after any pass that ticked.
#pragma once

#include <cstdint>

#include "host/clock.h"
#include "host/messages.h"
#include "host/window_handle.h"

// One tick of game time, in milliseconds (about 60.24 ticks a second).
constexpr double kTickLength = 16.6;
// Ticks one pass may run back to back before it draws and re-bases.
constexpr int kMaxTicksPerPass = 3;

struct FrameLoopState {
  double nextTick;   // clock reading (ms) after which the next tick is due
  uint8_t frameDue;  // set by every tick, cleared once the frame is drawn
};

extern FrameLoopState frameLoop;

// Puts the loop state back to its program-start values (tests).
void ResetFrameLoop();

// Schedules the first tick one tick length after the clock's current reading.
void StartFrameLoop(platform::Clock& clock);

// One tick: the input edges from the raw words, then StepGame.
void RunTick(WindowHandle window);

// One pass of the loop. Returns false once the quit message arrived, with its exit code in
// *exitCode. Waits on the message source when it had nothing to do.
bool RunFramePass(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages,
                  int* exitCode);

// Runs passes until the quit message; returns its exit code.
int RunFrameLoop(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages);

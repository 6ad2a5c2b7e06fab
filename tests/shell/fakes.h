// Recording fakes of every subsystem and machine service the shell calls, a clock the tests set
// by hand and a scripted message queue.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "host/clock.h"
#include "host/joystick.h"
#include "host/messages.h"
#include "host/window.h"

namespace fake {

// A clock that reads `now`, or the next scripted reading when there is one (each reading is then
// kept as the new `now`).
class Clock final : public platform::Clock {
 public:
  uint64_t Milliseconds() override;
  uint64_t now = 0;
  std::deque<uint64_t> readings;
  int reads = 0;
};

// A queue that gives posted messages first, then the scripted ones. Waiting moves the clock on
// by the whole timeout, as a sleep with no event arriving would.
class Messages final : public platform::MessageSource {
 public:
  explicit Messages(Clock* clock) : clock_(clock) {}
  bool PeekMessage(platform::Message* out) override;
  void WaitMessage(uint32_t timeoutMs) override;
  std::deque<platform::Message> script;
  std::vector<uint32_t> waits;
  int peeks = 0;

 private:
  Clock* clock_;
};

// What the game saw at one tick.
struct TickSeen {
  uint32_t padPressed;
  uint32_t mousePressed;
};

struct Record {
  std::vector<std::string> calls;  // every subsystem and machine call, in order
  std::vector<TickSeen> ticks;     // one entry per StepGame
  int frames = 0;                  // DrawFrame calls
  // Knobs.
  bool windowFails = false;
  int openDisplayResult = 1;  // 0: fails, and destroys the window as the real display does
  bool joystickAttached = false;
  platform::JoystickPosition joystick{0x7FFF, 0x7FFF, 0};
  std::vector<std::string> songNames;
  std::vector<std::string> effectNames;
  platform::WindowProcedure procedure = nullptr;
  bool destroyed = false;
};

extern Record record;

// Puts every fake, the posted queue and the shell's own state back to program start.
void Reset();

// The handle the fake window hands out.
WindowHandle TheWindow();

// Messages in a short form for scripts.
platform::Message KeyDown(uint32_t key);
platform::Message KeyUp(uint32_t key);
platform::Message Activate(bool active);
platform::Message Simple(platform::MessageKind kind);

}  // namespace fake

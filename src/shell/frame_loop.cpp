#include "shell/frame_loop.h"

#include <cmath>

#include "game/frame.h"
#include "game/game_flow.h"
#include "machine/message_queue.h"
#include "shell/window_procedure.h"
#include "state/input_state.h"

FrameLoopState frameLoop{};

void ResetFrameLoop() {
  frameLoop = FrameLoopState{};
}

void StartFrameLoop(platform::Clock& clock) {
  frameLoop.nextTick = static_cast<double>(clock.Milliseconds()) + kTickLength;
  frameLoop.frameDue = 0;
}

void RunTick(WindowHandle window) {
  // The raw words are sampled only here: a press and release between two ticks leaves no edge.
  input.padPressed = (input.padRaw & ~input.padPrev) | (input.keyRaw & ~input.keyPrev);
  input.padPrev = input.padRaw;
  input.keyPrev = input.keyRaw;
  input.mousePressed = input.mouseRaw & ~input.mousePrev;
  input.mousePrev = input.mouseRaw;
  StepGame(window);
}

namespace {

using platform::Message;
using platform::MessageKind;

// A release of a button or key that went down after the last tick: no tick has seen it held, so
// delivered now the press would never count (a tap, a touchpad's click, xdotool's click).
bool ReleasesAnUnseenPress(const Message& message) {
  switch (message.kind) {
    case MessageKind::kLeftButtonUp:
      return (frameLoop.mouseDowns & kMouseLeft) != 0;
    case MessageKind::kRightButtonUp:
      return (frameLoop.mouseDowns & kMouseRight) != 0;
    case MessageKind::kKeyUp:
      return (frameLoop.keyDowns & KeyButton(message.wParam)) != 0;
    default:
      return false;
  }
}

bool IsJoystick(MessageKind kind) {
  return kind == MessageKind::kJoyMove || kind == MessageKind::kJoyButtonDown ||
         kind == MessageKind::kJoyButtonUp;
}

// Messages that only state something afresh (the pointer's position, "read the stick"): the
// later of two in a row leaves what both would, so a burst of them takes one place.
bool Restates(const Message& later, const Message& earlier) {
  if (later.kind == MessageKind::kMouseMove) return earlier.kind == MessageKind::kMouseMove;
  return IsJoystick(later.kind) && IsJoystick(earlier.kind);
}

Message& HeldBack(uint32_t position) {
  return frameLoop.heldBack[(frameLoop.heldBackHead + position) % kHeldBackCapacity];
}

// Queues a message behind the waiting release.
void HoldBack(const Message& message) {
  if (frameLoop.heldBackCount > 0) {
    Message& last = HeldBack(frameLoop.heldBackCount - 1);
    if (Restates(message, last)) {
      last = message;
      return;
    }
  }
  HeldBack(frameLoop.heldBackCount) = message;
  ++frameLoop.heldBackCount;
}

// Puts the release back in front of everything held back; it was just taken from there or from
// the source with nothing held back, so there is always room.
void HoldRelease(const Message& message) {
  frameLoop.heldBackHead = (frameLoop.heldBackHead + kHeldBackCapacity - 1) % kHeldBackCapacity;
  ++frameLoop.heldBackCount;
  frameLoop.heldBack[frameLoop.heldBackHead] = message;
  frameLoop.holding = 1;
}

// The next message in order: what was held back, then the source's. Posted messages (a close, a
// quit) still come first, as the source gives them.
bool TakeMessage(platform::MessageSource& messages, Message* out) {
  if (frameLoop.heldBackCount == 0 || platform::HasPostedMessage()) {
    return messages.PeekMessage(out);
  }
  *out = HeldBack(0);
  frameLoop.heldBackHead = (frameLoop.heldBackHead + 1) % kHeldBackCapacity;
  --frameLoop.heldBackCount;
  return true;
}

// Hands a message to the window procedure, noting the buttons and keys it newly held.
void Deliver(WindowHandle window, const Message& message) {
  const uint32_t mouse = input.mouseRaw;
  const uint32_t keys = input.keyRaw;
  WindowProcedure(window, message);
  frameLoop.mouseDowns |= input.mouseRaw & ~mouse;
  frameLoop.keyDowns |= input.keyRaw & ~keys;
}

// A tick has seen what is held: every release may go through again.
void ForgetPresses() {
  frameLoop.holding = 0;
  frameLoop.mouseDowns = 0;
  frameLoop.keyDowns = 0;
}

double Now(platform::Clock& clock) {
  return static_cast<double>(clock.Milliseconds());
}

// Milliseconds from the reading `now` until the clock will be strictly past nextTick, at least 1.
uint32_t MillisecondsUntilDue(double now) {
  const double wait = std::floor(frameLoop.nextTick) + 1.0 - now;
  if (wait < 1.0) return 1;
  if (wait > 1000.0) return 1000;  // never sleep long on a clock that jumped backwards
  return static_cast<uint32_t>(wait);
}

}  // namespace

bool RunFramePass(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages,
                  int* exitCode) {
  // Waiting messages come first, one per pass, and such a pass does nothing else. While a
  // release waits for a tick, the source is still emptied (into the held-back queue, so the wait
  // below sleeps rather than spins); a quit ends the loop and a close is handled at once.
  if (frameLoop.holding && frameLoop.heldBackCount == kHeldBackCapacity) {
    ForgetPresses();  // a flood with no room left: let the release through rather than stall
  }
  Message message;
  if (frameLoop.holding ? messages.PeekMessage(&message) : TakeMessage(messages, &message)) {
    if (message.kind == MessageKind::kQuit) {
      *exitCode = static_cast<int>(message.wParam);
      return false;
    }
    if (frameLoop.holding && message.kind != MessageKind::kClose) {
      HoldBack(message);
    } else if (ReleasesAnUnseenPress(message)) {
      HoldRelease(message);
    } else {
      Deliver(window, message);
    }
    return true;
  }

  double now = Now(clock);
  bool ticked = false;
  if (now > frameLoop.nextTick) {  // strict: a reading equal to nextTick is not yet due
    int ticks = 0;
    for (;;) {
      RunTick(window);
      ForgetPresses();
      frameLoop.nextTick += kTickLength;
      frameLoop.frameDue = 1;
      ++ticks;
      const double reading = Now(clock);  // the catch-up test accepts equality
      if (reading < frameLoop.nextTick || ticks >= kMaxTicksPerPass) break;
    }
    if (Now(clock) >= frameLoop.nextTick) {
      // Still behind after three ticks: drop the backlog, so the game slows down rather than
      // jumping ahead after a stall.
      frameLoop.nextTick = Now(clock) + kTickLength;
    }
    ticked = true;
  }

  if (frameLoop.frameDue) {
    DrawFrame(window);
    frameLoop.frameDue = 0;
  }

  // A pass with nothing to do sleeps until the next event or the next tick instead of polling,
  // so an idle game does not burn a core.
  if (!ticked) messages.WaitMessage(MillisecondsUntilDue(now));
  return true;
}

int RunFrameLoop(WindowHandle window, platform::Clock& clock, platform::MessageSource& messages) {
  int exitCode = 0;
  while (RunFramePass(window, clock, messages, &exitCode)) {
  }
  return exitCode;
}

#include "shell/frame_loop.h"

#include <cmath>

#include "game/frame.h"
#include "game/game_flow.h"
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
  // Waiting messages come first, one per pass, and such a pass does nothing else.
  platform::Message message;
  if (messages.PeekMessage(&message)) {
    if (message.kind == platform::MessageKind::kQuit) {
      *exitCode = static_cast<int>(message.wParam);
      return false;
    }
    WindowProcedure(window, message);
    return true;
  }

  double now = Now(clock);
  bool ticked = false;
  if (now > frameLoop.nextTick) {  // strict: a reading equal to nextTick is not yet due
    int ticks = 0;
    for (;;) {
      RunTick(window);
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

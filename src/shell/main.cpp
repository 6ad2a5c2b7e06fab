// SKYPOP FRENZY: the program entry on the machine's own clock and event queue.
#include "platform/clock.h"
#include "platform/messages.h"
#include "shell/game_main.h"

int main() {
  return GameMain(platform::SystemClock(), platform::WindowMessages());
}

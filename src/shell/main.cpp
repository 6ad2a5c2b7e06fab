// SKYPOP FRENZY: the program entry on the machine's own clock and event queue.
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/messages.h"
#include "shell/game_main.h"

int main(int argc, char** argv) {
  // Packagers and bug reports need the release without opening a window.
  if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
    std::printf("skypop %s\n", SKYPOP_VERSION);
    return 0;
  }
  return GameMain(platform::SystemClock(), platform::WindowMessages());
}

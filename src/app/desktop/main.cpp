// SKYPOP FRENZY: the program entry on the machine's own clock and event queue.
#include <cstdio>

#include "app/desktop/desktop_start.h"
#include "app/desktop/options.h"
#include "host/clock.h"
#include "host/messages.h"
#include "host/window.h"
#include "shell/game_main.h"

int main(int argc, char** argv) {
  Options options;
  const int status = ParseOptions(argc, argv, &options, stdout, stderr);
  if (status != kRunTheGame) return status;
  const SoundChoice sound = StartOnDesktop(options);
  const int exitCode = GameMain(platform::SystemClock(), platform::WindowMessages(), sound);
  StopOnDesktop();
  TellOfLostScores(platform::EndedBySignal());
  return exitCode;
}

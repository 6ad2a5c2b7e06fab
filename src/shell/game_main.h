// The program entry: opens every subsystem in order, runs the frame loop, closes the machine.
#pragma once

#include "host/clock.h"
#include "host/messages.h"
#include "host/window_handle.h"

// Which sound subsystems a run opens: the player may turn all sound, or only the music, off.
struct SoundChoice {
  bool sound = true;
  bool music = true;
};

// Runs the whole game against the given clock and message source; returns the exit code (1 when
// the window or the display could not be opened, otherwise the quit message's code).
int GameMain(platform::Clock& clock, platform::MessageSource& messages, SoundChoice sound = {});

// The two halves of GameMain around the loop, for a machine that drives the loop's passes itself:
// the window with every subsystem open (null when start-up failed), and the machine's shutdown
// once the quit message has come.
WindowHandle OpenGame(platform::Clock& clock, SoundChoice sound = {});
void CloseGame();

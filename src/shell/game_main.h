// The program entry: opens every subsystem in order, runs the frame loop, closes the machine.
#pragma once

#include "platform/clock.h"
#include "platform/messages.h"

// Runs the whole game against the given clock and message source; returns the exit code (0 when
// start-up failed, otherwise the quit message's code).
int GameMain(platform::Clock& clock, platform::MessageSource& messages);

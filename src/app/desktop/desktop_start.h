// What a run on the player's desktop sets up before the game starts, from the command line:
// where the scores live, the stored settings with this run's options laid over them, the
// soundfont. Settings the player then changes with the keys are written back for the next run.
#pragma once

#include <string>

#include "app/desktop/options.h"
#include "shell/game_main.h"

// Prepares the run (scores, settings, platform; a closed pipe no longer ends the process) and
// returns which sound subsystems it opens.
SoundChoice StartOnDesktop(const Options& options);
// Stops listening to the player's keys, writes a settings change that could not be written during
// play (waiting a moment for another game's lock), and gives SIGPIPE its previous handling back.
void StopOnDesktop();
// Once the game has closed and its last save is done: rows this run ranked that could not be
// saved are told in a message box too (a player started from a menu sees no standard error),
// unless a signal ended the game.
void TellOfLostScores(bool endedBySignal);
// Where the settings file is: skypop.cfg in the per-user config folder.
std::string SettingsPath();

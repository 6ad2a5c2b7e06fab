// A long run of random play through the headless game driver: clicks anywhere and on balloons,
// keys, the pad, focus losses and songs that end, with the game's invariants checked every tick
// and the score file saved and reloaded after every game.
#pragma once

#include <cstdint>
#include <string>

struct SoakReport {
  int64_t ticks = 0;
  int games = 0;        // games that reached the end and went back to the title
  int ranked = 0;       // of those, games that entered a name in the table
  int64_t pops = 0;     // score increases seen
  std::string failure;  // the first broken invariant, with its tick; empty when none broke
};

// Plays `ticks` ticks from a fresh start with input drawn from `seed`, in the working directory
// (the score file lands there). Stops at the first broken invariant.
SoakReport RunSoak(int64_t ticks, uint32_t seed);

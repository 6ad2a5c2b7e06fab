// The one random source: a fixed table read in order, mixed with an entry that moves only while
// the title screen is shown.
#pragma once

#include <cstdint>

extern const int32_t RandomTable[512];

struct RandomState {
  int32_t randomIndex;
  int32_t stirIndex;
};
extern RandomState randomState;

// Next value, 0..65535.
int NextRandom();
// Moves the mixing entry on by one.
void StirRandom();
// Both indices back to 0.
void ResetRandom();

// The burst particle pool: dots and stars thrown out of a popped balloon.
#pragma once

#include <cstdint>

struct Burst {
  int32_t active;
  int32_t x;
  int32_t y;
  int32_t vx;
  int32_t vy;
  int32_t gravity;
  int32_t kind;
  int32_t age;
};

struct DirectionVector {
  int32_t x;
  int32_t y;
};
extern const DirectionVector DirectionTable[64];
// Speed steps 1 to 10 are entries 0 to 9: 0.1 to 1.0.
extern const double SpeedFactors[10];

constexpr int kBurstSlots = 96;
extern Burst bursts[kBurstSlots];

// Puts the pool back to its program-start values (all zero).
void ResetBursts();

void ClearBursts();
// Fills count + 1 free slots (fewer when the pool runs out) with particles of this kind at (x, y).
void SpawnBurst(int kind, int x, int y, int count);
void MoveBursts();
int BurstVectorX(int direction, int speedStep);
int BurstVectorY(int direction, int speedStep);

// The balloon pool: launch schedule, motion, and the hit test of a click.
#pragma once

#include <cstdint>

enum BalloonPhase : int32_t {
  kRising = 0,
  kHovering = 1,
  kLeaving = 2,
};

struct Balloon {
  int32_t active;
  int32_t x;
  int32_t y;
  int32_t vx;
  int32_t vy;
  int32_t hoverLine;
  int32_t phase;
  int32_t hoverTicks;
  int32_t spriteBase;
  int32_t frameCounter;
};

constexpr int kBalloonSlots = 32;
extern Balloon balloons[kBalloonSlots];

// One row of the wave's launch schedule.
struct ScheduleRow {
  int32_t untilCount;  // launchCount at which the schedule moves on to the next row
  int32_t delayTicks;  // ticks from a launch made under this row to the next launch
  int32_t hoverTicks;  // hover time given to the launch
};
constexpr int kScheduleRows = 21;
extern const ScheduleRow SpawnSchedule[kScheduleRows];
extern const int32_t LaneTable[8];
extern const int32_t HitRadii[3];
extern const int32_t HitPoints[3];

extern int32_t launchCount;
extern int32_t launchDelay;
extern int32_t scheduleRow;

// Puts the pool and the schedule back to their program-start values (all zero).
void ResetBalloons();

void ClearBalloons();
void LaunchBalloon(int hoverTicks);
void ScheduleStep();
int MoveBalloons();
void PopBalloons();

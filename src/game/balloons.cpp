// The balloon pool: the launch schedule of a wave, the rise-brake-hover-leave motion, and the hit
// test of a left click. Positions are fixed point (1/64 pixel, offset 272 pixels on both axes).
#include "game/balloons.h"

#include "game/bursts.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "sound/sound_bank.h"
#include "state/input_state.h"

Balloon balloons[kBalloonSlots]{};
int32_t launchCount = 0;
int32_t launchDelay = 0;
int32_t scheduleRow = 0;

// Field pixels 65 to 415, 50 apart. Less 32 pixels they are the launch columns; entries 2 to 5
// are the hover lines.
const int32_t LaneTable[8] = {21568, 24768, 27968, 31168, 34368, 37568, 40768, 43968};
// Half-widths of the square hit zones, smallest first. The outer one is 49.875 pixels, not 48.
const int32_t HitRadii[3] = {1536, 2048, 3192};
const int32_t HitPoints[3] = {100, 90, 80};

const ScheduleRow SpawnSchedule[kScheduleRows] = {
    {3, 60, 100}, {6, 40, 60},  {12, 30, 50},   {18, 30, 40}, {20, 2, 40},  {21, 50, 40},
    {23, 2, 30},  {26, 50, 30}, {27, 30, 30},   {35, 30, 30}, {40, 30, 10}, {41, 50, 10},
    {46, 5, 48},  {47, 80, 48}, {53, 5, 30},    {54, 80, 30}, {61, 5, 20},  {62, 80, 20},
    {76, 20, 5},  {77, 50, 5},  {9999, 15, 10},
};

namespace {
constexpr int32_t kInsideMin = 0x3400;  // field pixel -64
constexpr int32_t kInsideMax = 0xCC00;  // field pixel 544
constexpr int32_t kLaunchY = 0xC000;    // 16 pixels below the field
constexpr int32_t kLaunchColumnShift = 2048;
constexpr int32_t kDrift = 32;
constexpr int32_t kLaunchSpeed = -512;
constexpr int32_t kHoverSpeed = -64;
constexpr int32_t kBrakeDistance = 9600;  // braking starts 150 pixels below the hover line
constexpr int32_t kBrake = 16;
constexpr int32_t kLeaveBoost = 8;
constexpr int32_t kWaveLaunches = 120;
constexpr int32_t kFieldOffset = 272;

bool Inside(int32_t v) {
  return v >= kInsideMin && v <= kInsideMax;
}

// Strictly inside the square of half-width r around (cx, cy).
bool InSquare(const Balloon& b, int32_t cx, int32_t cy, int32_t r) {
  return cx - r < b.x && b.x < cx + r && cy - r < b.y && b.y < cy + r;
}
}  // namespace

void ResetBalloons() {
  for (Balloon& b : balloons) b = Balloon{};
  launchCount = 0;
  launchDelay = 0;
  scheduleRow = 0;
}

void ClearBalloons() {
  for (Balloon& b : balloons) b.active = 0;
}

void LaunchBalloon(int hoverTicks) {
  Balloon* slot = nullptr;
  for (Balloon& b : balloons) {
    if (b.active == 0) {
      slot = &b;
      break;
    }
  }
  if (slot == nullptr) return;  // a full pool loses the launch without a trace

  Balloon& b = *slot;
  b.active = 1;
  const int r1 = NextRandom();
  b.x = LaneTable[r1 & 7] - kLaunchColumnShift;
  b.y = kLaunchY;
  b.vx = kDrift;
  b.vy = kLaunchSpeed;
  const int r2 = NextRandom();
  b.hoverLine = LaneTable[2 + (r2 & 3)];
  const int r3 = NextRandom();
  int look = r3 & 7;
  if (look >= 6) look -= 6;  // the first two looks come up twice as often
  b.spriteBase = (look + 1) * 16;
  b.phase = kRising;
  b.frameCounter = 0;
  b.hoverTicks = hoverTicks;
  ++launchCount;
}

void ScheduleStep() {
  if (launchCount >= kWaveLaunches) return;
  if (--launchDelay > 0) return;
  if (launchCount == 0) scheduleRow = 0;
  const ScheduleRow& row = SpawnSchedule[scheduleRow];
  LaunchBalloon(row.hoverTicks);
  // The row that made the launch sets the pause after it, even when the launch moves us on.
  launchDelay = row.delayTicks;
  if (row.untilCount <= launchCount && scheduleRow < kScheduleRows - 1) ++scheduleRow;
}

int MoveBalloons() {
  int inside = 0;
  for (Balloon& b : balloons) {
    if (b.active != 1) continue;
    // The test uses the position from before this tick's move, so a balloon that crosses the
    // edge is counted once more and freed in the next tick.
    if (!Inside(b.x) || !Inside(b.y)) {
      b.active = 0;
      continue;
    }
    ++inside;
    b.x += b.vx;
    b.y += b.vy;
    switch (b.phase) {
      case kRising:
        if (b.y < b.hoverLine + kBrakeDistance) b.vy += kBrake;
        if (b.vy >= kHoverSpeed) {
          b.vy = kHoverSpeed;
          b.phase = kHovering;
        }
        break;
      case kHovering:
        if (--b.hoverTicks <= 0) b.phase = kLeaving;
        break;
      case kLeaving:
        b.vy -= kLeaveBoost;
        break;
      default:
        break;
    }
    ++b.frameCounter;
  }
  return inside;
}

void PopBalloons() {
  if ((input.mousePressed & kMouseLeft) == 0) return;
  const int32_t cx = (static_cast<int32_t>(input.mouseX) + kFieldOffset) * 64;
  const int32_t cy = (static_cast<int32_t>(input.mouseY) + kFieldOffset) * 64;
  // The smaller zone wins over any lower slot; within a zone the lowest slot wins.
  for (int zone = 0; zone < 3; ++zone) {
    for (Balloon& b : balloons) {
      if (b.active != 1 || !InSquare(b, cx, cy, HitRadii[zone])) continue;
      SpawnBurst(0, b.x, b.y, 20);
      SpawnBurst(1, b.x, b.y, 6);
      PlayEffect(0);
      b.active = 0;
      game.score += HitPoints[zone];
      return;  // one click pops one balloon at most
    }
  }
}

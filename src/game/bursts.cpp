// The burst particles of a pop: kind 0 dots fly straight out and vanish after 31 moves; kind 1
// stars are thrown out, fall under gravity and vanish after 96 moves. One pool of 96 slots.
#include "game/bursts.h"

#include "game/random_source.h"

Burst bursts[kBurstSlots]{};

// 64 directions of length about 1024, entry 0 straight up, turning clockwise on screen.
const DirectionVector DirectionTable[64] = {
    {0, -1024},   {100, -1019},  {199, -1004},  {297, -979},   {391, -946},  {482, -903},
    {568, -851},  {649, -791},   {724, -724},   {791, -649},   {851, -568},  {903, -482},
    {946, -391},  {979, -297},   {1004, -199},  {1019, -100},  {1024, 1},    {1019, 101},
    {1004, 200},  {979, 298},    {946, 392},    {903, 483},    {851, 569},   {791, 650},
    {724, 725},   {649, 792},    {568, 852},    {482, 904},    {391, 947},   {297, 980},
    {199, 1005},  {100, 1020},   {-1, 1024},    {-101, 1020},  {-200, 1005}, {-298, 980},
    {-392, 947},  {-483, 904},   {-569, 852},   {-650, 792},   {-725, 725},  {-792, 650},
    {-852, 569},  {-904, 483},   {-947, 392},   {-980, 298},   {-1005, 200}, {-1020, 101},
    {-1024, 0},   {-1020, -100}, {-1005, -199}, {-980, -297},  {-947, -391}, {-904, -482},
    {-852, -568}, {-792, -649},  {-725, -724},  {-650, -791},  {-569, -851}, {-483, -903},
    {-392, -946}, {-298, -979},  {-200, -1004}, {-101, -1019},
};

const double SpeedFactors[10] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0};

namespace {
constexpr int32_t kStarGravity = 8;
constexpr int32_t kDotMoves = 31;
constexpr int32_t kStarMoves = 96;
}  // namespace

void ResetBursts() {
  for (Burst& b : bursts) b = Burst{};
}

void ClearBursts() {
  for (Burst& b : bursts) b.active = 0;
}

// The product is formed in double precision before truncation toward zero: -200 x 0.7 must give
// -140, not the -139 a float or an integer approximation would.
int BurstVectorX(int direction, int speedStep) {
  return static_cast<int>(DirectionTable[direction].x * SpeedFactors[speedStep - 1]);
}

int BurstVectorY(int direction, int speedStep) {
  return static_cast<int>(DirectionTable[direction].y * SpeedFactors[speedStep - 1]);
}

void SpawnBurst(int kind, int x, int y, int count) {
  for (Burst& b : bursts) {
    if (b.active == 1) continue;
    b.active = 1;
    b.kind = kind;
    b.x = x;
    b.y = y;
    b.age = 0;
    const int direction = NextRandom() & 63;  // direction first, then speed
    if (kind == 0) {
      const int step = (NextRandom() & 7) + 1;
      // Arithmetic shifts: a floor division by 4, so -5 becomes -2.
      b.vx = BurstVectorX(direction, step) >> 2;
      b.vy = BurstVectorY(direction, step) >> 2;
      b.gravity = 0;
    } else {
      const int step = (NextRandom() & 3) + 1;
      b.vx = BurstVectorX(direction, step);
      b.vy = BurstVectorY(direction, step);
      b.gravity = kStarGravity;
    }
    // Checked after the slot is filled: a count of n fills n + 1 slots.
    if (count <= 0) return;
    --count;
  }
}

void MoveBursts() {
  for (Burst& b : bursts) {
    if (b.active != 1) continue;
    if (b.age >= kStarMoves || (b.kind == 0 && b.age >= kDotMoves)) {
      b.active = 0;
      continue;
    }
    b.x += b.vx;
    b.y += b.vy;
    b.vy += b.gravity;
    ++b.age;
  }
}

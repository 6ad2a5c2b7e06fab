#include "soak.h"

#include <cstring>
#include <random>

#include "fake_sound.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/game_flow.h"
#include "game_driver.h"
#include "scores/high_scores.h"
#include "state/input_state.h"

namespace {

constexpr int32_t kFieldSlack = 0x0800;  // a launch may stand a little outside the field
constexpr int32_t kInsideMin = 0x3400 - kFieldSlack;
constexpr int32_t kInsideMax = 0xCC00 + kFieldSlack;
constexpr int kLongestBurst = 256;
constexpr uint32_t kPadBits[] = {kButtonFire1, kButtonFire2, kButtonStart, kButtonRight,
                                 kButtonLeft,  kButtonDown,  kButtonUp};

// Score steps one tick can make: any mix of 100, 90 and 80 over the balloons one click hits.
bool IsScoreStep(int32_t step) {
  for (int hundreds = 0; hundreds <= kBalloonSlots; ++hundreds) {
    for (int nineties = 0; hundreds + nineties <= kBalloonSlots; ++nineties) {
      const int32_t rest = step - 100 * hundreds - 90 * nineties;
      if (rest >= 0 && rest % 80 == 0 && hundreds + nineties + rest / 80 <= kBalloonSlots &&
          hundreds + nineties + rest / 80 > 0) {
        return true;
      }
    }
  }
  return false;
}

std::string PoolFault() {
  for (const Balloon& b : balloons) {
    if (b.active != 0 && b.active != 1)
      return "balloon with active flag " + std::to_string(b.active);
    if (b.active == 0) continue;
    if (b.phase < kRising || b.phase > kLeaving)
      return "balloon in phase " + std::to_string(b.phase);
    if (b.x < kInsideMin || b.x > kInsideMax || b.y < kInsideMin || b.y > kInsideMax) {
      return "balloon outside the field at " + std::to_string(b.x) + "," + std::to_string(b.y);
    }
  }
  for (const Burst& b : bursts) {
    if (b.active != 0 && b.active != 1) return "burst with active flag " + std::to_string(b.active);
    if (b.active == 1 && (b.kind < 0 || b.kind > 1 || b.age < 0 || b.age > kLongestBurst)) {
      return "burst of kind " + std::to_string(b.kind) + " aged " + std::to_string(b.age);
    }
  }
  return {};
}

std::string TableFault() {
  for (int row = 1; row < kHighScoreRows; ++row) {
    if (highScores[row].score > highScores[row - 1].score) return "table out of order";
  }
  for (const HighScoreEntry& row : highScores) {
    if (row.name[10] != '\0') return "name lost its closing zero";
  }
  return {};
}

// Saves the table and reads it back as the next start-up would; it must come back the same.
std::string SaveAndReloadFault() {
  HighScoreEntry before[kHighScoreRows];
  std::memcpy(before, highScores, sizeof before);
  const int32_t hiScore = game.hiScore;
  SaveScores();
  ResetHighScores();
  LoadScores();
  game.hiScore = hiScore;
  for (int row = 0; row < kHighScoreRows; ++row) {
    if (highScores[row].score != before[row].score ||
        std::memcmp(highScores[row].name, before[row].name, sizeof before[row].name) != 0) {
      return "row " + std::to_string(row) + " changed in a save and reload";
    }
  }
  return {};
}

}  // namespace

SoakReport RunSoak(int64_t ticks, uint32_t seed) {
  SoakReport report;
  std::mt19937 random(seed);
  const auto chance = [&random](int inThousand) {
    return static_cast<int>(random() % 1000) < inThousand;
  };
  game_driver::StartGame();
  ScriptStep step{};
  std::vector<ScriptStep> script(1);
  int32_t lastMode = game.gameMode;
  int32_t lastScore = game.score;
  int32_t lastRank = game.newRank;
  for (; report.ticks < ticks; ++report.ticks) {
    using Op = ScriptStep::Op;
    step = ScriptStep{game_driver::NextTick(), Op::kMove, 0, 0};
    const uint32_t pad = kPadBits[random() % std::size(kPadBits)];
    if (chance(40)) {
      step = {step.tick, Op::kAim, static_cast<int>(random() % 41) - 20,
              static_cast<int>(random() % 41) - 20};
    } else if (chance(20)) {
      step = {step.tick, Op::kMove, static_cast<int>(random() % 700) - 30,
              static_cast<int>(random() % 540) - 30};
    } else if (chance(150)) {
      step.op = (input.mouseRaw & kMouseLeft) != 0 ? Op::kMouseUp : Op::kMouseDown;
    } else if (chance(20)) {
      step = {step.tick, (input.keyRaw & pad) != 0 ? Op::kKeyUp : Op::kKeyDown,
              static_cast<int>(pad), 0};
    } else if (chance(20)) {
      step = {step.tick, (input.padRaw & pad) != 0 ? Op::kPadUp : Op::kPadDown,
              static_cast<int>(pad), 0};
    } else if (chance(2)) {
      step.op = input.appActive != 0 ? Op::kBlur : Op::kFocus;
    } else if (input.appActive == 0 && chance(30)) {
      step.op = Op::kFocus;  // focus losses stay short, or the game would mostly stand still
    } else if (chance(1)) {
      step.op = Op::kSongEnds;
    } else {
      step = {step.tick, Op::kMove, static_cast<int>(input.mouseX), static_cast<int>(input.mouseY)};
    }
    script[0] = step;
    game_driver::Run(script, 1);

    const int32_t scoreStep = game.score - lastScore;
    if (scoreStep != 0 && game.score != 0 && !IsScoreStep(scoreStep)) {
      report.failure =
          "score went from " + std::to_string(lastScore) + " to " + std::to_string(game.score);
    }
    report.pops += scoreStep > 0;
    if (report.failure.empty()) report.failure = PoolFault();
    if (report.failure.empty()) report.failure = TableFault();
    if (game.newRank != 0 && lastRank == 0) ++report.ranked;
    if (report.failure.empty() && lastMode == kModePlaying && game.gameMode != kModePlaying) {
      ++report.games;
      report.failure = SaveAndReloadFault();
    }
    if (!report.failure.empty()) {
      report.failure = "tick " + std::to_string(report.ticks) + ": " + report.failure;
      ++report.ticks;
      break;
    }
    lastMode = game.gameMode;
    lastScore = game.score;
    lastRank = game.newRank;
  }
  return report;
}

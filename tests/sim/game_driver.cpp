#include "game_driver.h"

#include <cstdio>
#include <sstream>

#include "fake_sound.h"
#include "game/balloons.h"
#include "game/bursts.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "game_reset.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "shell/frame_loop.h"
#include "state/input_state.h"

namespace game_driver {
namespace {

int nextTick = 0;

// FNV-1a over the raw bytes of a pool, so any change in motion shows in the dump.
uint32_t Hash(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 16777619u;
  return h;
}

int ToPixel(int32_t v) {
  return (v >> 6) - 272;
}

void Aim(int dx, int dy) {
  for (const Balloon& b : balloons) {
    if (b.active != 1) continue;
    const int x = ToPixel(b.x) + dx;
    const int y = ToPixel(b.y) + dy;
    if (x < 0 || x > 639 || y < 0 || y > 479) continue;
    input.mouseX = static_cast<uint32_t>(x);
    input.mouseY = static_cast<uint32_t>(y);
    return;
  }
}

void Apply(const ScriptStep& step) {
  using Op = ScriptStep::Op;
  switch (step.op) {
    case Op::kMove:
      input.mouseX = static_cast<uint32_t>(step.a);
      input.mouseY = static_cast<uint32_t>(step.b);
      break;
    case Op::kMouseDown:
      input.mouseRaw |= kMouseLeft;
      break;
    case Op::kMouseUp:
      input.mouseRaw &= ~kMouseLeft;
      break;
    case Op::kKeyDown:
      input.keyRaw |= static_cast<uint32_t>(step.a);
      break;
    case Op::kKeyUp:
      input.keyRaw &= ~static_cast<uint32_t>(step.a);
      break;
    case Op::kPadDown:
      input.padRaw |= static_cast<uint32_t>(step.a);
      break;
    case Op::kPadUp:
      input.padRaw &= ~static_cast<uint32_t>(step.a);
      break;
    case Op::kFocus:
      input.appActive = 1;
      break;
    case Op::kBlur:
      input.appActive = 0;
      break;
    case Op::kSongEnds:
      fake_sound::EndSong();
      break;
    case Op::kAim:
      Aim(step.a, step.b);
      break;
  }
}

}  // namespace

void StartGame() {
  testing_support::ResetGameWideState();
  fake_sound::Reset();
  nextTick = 0;
  LoadScores();
  game.gameMode = kModeBoot;
  ResetRandom();
  input.appActive = 1;
}

void RunTick() {
  fake_sound::state.currentTick = nextTick;
  // The frame loop's own tick: input edges, then the game step.
  ::RunTick(nullptr);
  ++nextTick;
}

void Run(const std::vector<ScriptStep>& script, int ticks, std::string* dump) {
  for (int i = 0; i < ticks; ++i) {
    const int tick = nextTick;
    for (const ScriptStep& step : script) {
      if (step.tick == tick) Apply(step);
    }
    RunTick();
    if (dump != nullptr) *dump += DumpLine(tick) + "\n";
  }
}

void RunTicks(int ticks) {
  Run({}, ticks);
}

void Click(int x, int y) {
  input.mouseX = static_cast<uint32_t>(x);
  input.mouseY = static_cast<uint32_t>(y);
  input.mouseRaw |= kMouseLeft;
  RunTick();
  input.mouseRaw &= ~kMouseLeft;
  RunTick();
}

void PressKeys(uint32_t bits) {
  input.keyRaw |= bits;
  RunTick();
  input.keyRaw &= ~bits;
  RunTick();
}

int NextTick() {
  return nextTick;
}

std::string DumpLine(int tick) {
  int liveBalloons = 0;
  for (const Balloon& b : balloons) liveBalloons += b.active == 1;
  int liveBursts = 0;
  for (const Burst& b : bursts) liveBursts += b.active == 1;
  char line[256];
  std::snprintf(line, sizeof(line),
                "%d m%d p%d t%d s%d hi%d r%d ms%d%s lc%d b%d k%d %08x %08x in%u,%u \"%s\" %d:%d",
                tick, game.gameMode, game.playPhase, game.phaseTimer, game.score, game.hiScore,
                game.newRank, game.musicSelection, game.gamePaused ? " PAUSED" : "", launchCount,
                liveBalloons, liveBursts, Hash(balloons, sizeof(balloons)),
                Hash(bursts, sizeof(bursts)), input.mouseX, input.mouseY, nameBuffer, nameLength,
                symbolCursor);
  std::string text = line;
  const std::string calls = fake_sound::CallsOnTick(tick);
  if (!calls.empty()) text += " [" + calls + "]";
  if (fake_sound::state.playing) {
    text += fake_sound::state.paused ? " ~paused" : " ~" + std::to_string(fake_sound::state.track);
  }
  return text;
}

std::vector<ScriptStep> ParseScript(const std::string& text) {
  using Op = ScriptStep::Op;
  struct Name {
    const char* word;
    Op op;
  };
  static const Name kNames[] = {
      {"move", Op::kMove},        {"down", Op::kMouseDown}, {"up", Op::kMouseUp},
      {"keydown", Op::kKeyDown},  {"keyup", Op::kKeyUp},    {"paddown", Op::kPadDown},
      {"padup", Op::kPadUp},      {"focus", Op::kFocus},    {"blur", Op::kBlur},
      {"songend", Op::kSongEnds}, {"aim", Op::kAim},
  };
  std::vector<ScriptStep> script;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    ScriptStep step{};
    std::string word;
    if (!(words >> step.tick >> word)) continue;
    bool known = false;
    for (const Name& name : kNames) {
      if (word == name.word) {
        step.op = name.op;
        known = true;
      }
    }
    if (!known) continue;
    // Numbers may be written in hex (0x08 for the start button).
    std::string a;
    std::string b;
    if (words >> a) step.a = std::stoi(a, nullptr, 0);
    if (words >> b) step.b = std::stoi(b, nullptr, 0);
    script.push_back(step);
  }
  return script;
}

}  // namespace game_driver

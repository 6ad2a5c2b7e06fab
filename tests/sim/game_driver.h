// A headless game driver: runs the real game code tick by tick from a script of input changes,
// computing the per-tick input edges exactly as the frame loop does, and reports the state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One change to the raw input (or to the fake music player) made just before a tick runs.
struct ScriptStep {
  enum class Op {
    kMove,       // a = x, b = y in picture pixels
    kMouseDown,  // left button held
    kMouseUp,
    kKeyDown,  // a = pad bits held on the keyboard (keyRaw)
    kKeyUp,
    kPadDown,  // a = pad bits held on the joystick (padRaw)
    kPadUp,
    kFocus,     // the game becomes the active application
    kBlur,      // it loses activation
    kSongEnds,  // the song being played reaches its end
    kAim,       // move onto the lowest-slot balloon inside the field, offset by (a, b) pixels
  };
  int tick;
  Op op;
  int a = 0;
  int b = 0;
};

namespace game_driver {

// Every module back to program start, then the start-up the entry makes (scores loaded from the
// working directory, boot mode, random source reset), with the game active and the music fake
// silent. Tick numbers start at 0.
void StartGame();

// The edges of this tick from the raw words, then one StepGame.
void RunTick();

// Runs ticks, applying the script's steps for each tick before it; optionally appends one state
// line per tick to dump. Ticks are numbered on from previous runs.
void Run(const std::vector<ScriptStep>& script, int ticks, std::string* dump = nullptr);

// Convenience for tests: runs ticks with the input held as it is.
void RunTicks(int ticks);

// A left click: pressed for one tick at (x, y), then released for one tick.
void Click(int x, int y);

// Pad bits pressed on the keyboard for one tick, then released for one tick.
void PressKeys(uint32_t bits);

// The tick number the next RunTick will have.
int NextTick();

// One line of state after the given tick.
std::string DumpLine(int tick);

// Reads a script in text form: one step per line, "<tick> <op> [a] [b]", '#' starts a comment.
// Ops: move, down, up, keydown, keyup, paddown, padup, focus, blur, songend, aim.
std::vector<ScriptStep> ParseScript(const std::string& text);

}  // namespace game_driver

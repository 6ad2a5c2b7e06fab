#include "fakes.h"

#include "display/display.h"
#include "game/frame.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "machine/audio.h"
#include "machine/message_queue.h"
#include "scores/high_scores.h"
#include "scores/name_entry.h"
#include "shell/frame_loop.h"
#include "sound/music_player.h"
#include "sound/sound_bank.h"
#include "state/input_state.h"

namespace platform {
// The fake window record: the shell never looks inside one.
struct Window {
  int unused;
};
}  // namespace platform

namespace fake {

Record record;

namespace {
platform::Window theWindow{};
void Log(const char* call) {
  record.calls.emplace_back(call);
}
}  // namespace

uint64_t Clock::Milliseconds() {
  ++reads;
  if (!readings.empty()) {
    now = readings.front();
    readings.pop_front();
  }
  return now;
}

bool Messages::PeekMessage(platform::Message* out) {
  ++peeks;
  if (platform::TakePostedMessage(out)) return true;
  if (script.empty()) return false;
  *out = script.front();
  script.pop_front();
  return true;
}

void Messages::WaitMessage(uint32_t timeoutMs) {
  waits.push_back(timeoutMs);
  if (script.empty() && !platform::HasPostedMessage()) clock_->now += timeoutMs;
}

void Reset() {
  record = Record{};
  platform::ResetPostedMessages();
  ResetInputState();
  ResetFrameLoop();
  game = GameState{};
  displayContext = DisplayContext{};
}

WindowHandle TheWindow() {
  return &theWindow;
}

platform::Message KeyDown(uint32_t key) {
  return platform::Message{platform::MessageKind::kKeyDown, key, 0};
}
platform::Message KeyUp(uint32_t key) {
  return platform::Message{platform::MessageKind::kKeyUp, key, 0};
}
platform::Message Activate(bool active) {
  return platform::Message{platform::MessageKind::kActivateApp, active ? 1u : 0u, 0};
}
platform::Message Simple(platform::MessageKind kind) {
  return platform::Message{kind, 0, 0};
}

}  // namespace fake

using fake::Log;
using fake::record;

// The game's subsystems.
GameState game{};
void StepGame(WindowHandle) {
  record.ticks.push_back({input.padPressed, input.mousePressed});
}
void DrawFrame(WindowHandle) {
  ++record.frames;
}
void ResetRandom() {
  Log("ResetRandom");
}
void LoadScores() {
  Log("LoadScores");
}
void SaveScoresAtClose() {
  Log("SaveScoresAtClose");
}
void KeepTypedName() {
  Log("KeepTypedName");
}
bool OpenMusic(WindowHandle, const char* const* names, int count) {
  Log("OpenMusic");
  for (int i = 0; i < count; ++i) record.songNames.emplace_back(names[i]);
  return true;
}
void CloseMusic() {
  Log("CloseMusic");
}
void OpenSoundBank(WindowHandle, const char* const* names, int count) {
  Log("OpenSoundBank");
  for (int i = 0; i < count; ++i) record.effectNames.emplace_back(names[i]);
}
void CloseSoundBank() {
  Log("CloseSoundBank");
}
DisplayContext displayContext{};
int OpenDisplay(WindowHandle window) {
  // Logged with the sheet the entry described, so a test sees it was filled in beforehand.
  const DisplayContext& d = displayContext;
  Log("OpenDisplay");
  if (d.spriteTable == nullptr || d.sheetName == nullptr) {
    record.calls.back() += " without a sheet";
  } else {
    record.calls.back() += std::string(" ") + d.sheetName + " " + std::to_string(d.sheetWidth) +
                           "x" + std::to_string(d.sheetHeight);
  }
  if (record.openDisplayResult == 0) {
    // The real display reports the failure, closes itself and destroys the window.
    CloseDisplay();
    platform::DestroyWindow(window);
  }
  return record.openDisplayResult;
}
void CloseDisplay() {
  Log("CloseDisplay");
}

// The machine.
namespace platform {
bool OpenAudioDevice() {
  Log("OpenAudioDevice");
  return false;
}
void CloseAudioDevice() {
  Log("CloseAudioDevice");
}
bool CaptureJoystick(WindowHandle) {
  Log("CaptureJoystick");
  return true;
}
bool ReadJoystick(JoystickPosition* out) {
  *out = record.joystickAttached ? record.joystick : JoystickPosition{0x7FFF, 0x7FFF, 0};
  return record.joystickAttached;
}
void ReleaseJoystick() {
  Log("ReleaseJoystick");
}
WindowHandle CreateGameWindow(const char* caption, WindowProcedure procedure) {
  Log("CreateGameWindow");
  if (record.windowFails) return nullptr;
  record.calls.back() += std::string(" ") + caption;
  record.procedure = procedure;
  return fake::TheWindow();
}
void ShowWindow(WindowHandle) {
  Log("ShowWindow");
}
void ShowPointer(bool visible) {
  Log(visible ? "ShowPointer" : "HidePointer");
}
void DestroyWindow(WindowHandle window) {
  if (record.destroyed) return;
  record.destroyed = true;
  Log("DestroyWindow");
  if (record.procedure != nullptr) record.procedure(window, Message{MessageKind::kDestroy, 0, 0});
}
void ShutDownPlatform() {
  Log("ShutDownPlatform");
}
}  // namespace platform

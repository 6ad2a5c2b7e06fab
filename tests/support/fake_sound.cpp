#include "fake_sound.h"

#include "sound/music_player.h"
#include "sound/sound_bank.h"

namespace fake_sound {

State state;

void Reset() {
  state = State{};
}

void EndSong() {
  state.playing = false;
  state.paused = false;
}

std::string CallsOnTick(int tick) {
  std::string text;
  for (const Record& r : state.calls) {
    if (r.tick != tick) continue;
    if (!text.empty()) text += ' ';
    switch (r.call) {
      case Call::kEffect:
        text += "fx" + std::to_string(r.argument);
        break;
      case Call::kPlaySong:
        text += "song" + std::to_string(r.argument);
        break;
      case Call::kStopMusic:
        text += "stop";
        break;
      case Call::kPauseMusic:
        text += "pause";
        break;
      case Call::kResumeMusic:
        text += "resume";
        break;
    }
  }
  return text;
}

int Count(Call call, int argument) {
  int n = 0;
  for (const Record& r : state.calls) {
    if (r.call == call && (argument < 0 || r.argument == argument)) ++n;
  }
  return n;
}

namespace {
void Note(Call call, int argument) {
  state.calls.push_back({state.currentTick, call, argument});
}
}  // namespace

}  // namespace fake_sound

using fake_sound::Call;
using fake_sound::state;

void OpenSoundBank(WindowHandle, const char* const*, int) {}
bool LoadEffect(int, const char*) {
  return true;
}
void PlayEffect(int index) {
  fake_sound::Note(Call::kEffect, index);
}
void CloseSoundBank() {}

bool OpenMusic(WindowHandle, const char* const*, int) {
  return true;
}
bool LoadSong(int, const char*) {
  return true;
}

bool PlaySong(int track) {
  fake_sound::Note(Call::kPlaySong, track);
  if (state.playing) return true;
  if (state.songsFail) return false;
  state.playing = true;
  state.paused = false;
  state.track = track;
  return true;
}

void StopMusic() {
  fake_sound::Note(Call::kStopMusic, 0);
  state.playing = false;
  state.paused = false;
}

void PauseMusic() {
  fake_sound::Note(Call::kPauseMusic, 0);
  if (state.playing) state.paused = true;
}

void ResumeMusic() {
  fake_sound::Note(Call::kResumeMusic, 0);
  if (state.playing) state.paused = false;
}

void CloseMusic() {
  StopMusic();
}

bool MusicPlaying() {
  ++state.playingReads;
  return state.playing;
}

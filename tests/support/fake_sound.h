// Recording stand-ins for the sound bank and the music player, linked in place of the real ones
// so tests can see which effects and songs the game asked for, and on which tick.
#pragma once

#include <string>
#include <vector>

namespace fake_sound {

enum class Call { kEffect, kPlaySong, kStopMusic, kPauseMusic, kResumeMusic };

struct Record {
  int tick;  // the value of currentTick when the call was made
  Call call;
  int argument;  // effect or track index; 0 for the others
};

struct State {
  std::vector<Record> calls;
  int currentTick = 0;
  // The player as the game flow sees it: playing from a successful PlaySong until StopMusic or
  // the end of the song; paused between a PauseMusic and a ResumeMusic while playing.
  bool playing = false;
  bool paused = false;
  int track = -1;
  bool songsFail = false;  // PlaySong fails, as it does without a MIDI device
  int playingReads = 0;    // calls of MusicPlaying
};

extern State state;

// Forgets every record and puts the player back to silent.
void Reset();
// The current song plays to its end: the player stops itself, as the real one does.
void EndSong();
// The calls made on one tick, as text ("fx0 song1 stop pause resume"), for dumps.
std::string CallsOnTick(int tick);
// How many recorded calls match.
int Count(Call call, int argument = -1);

}  // namespace fake_sound

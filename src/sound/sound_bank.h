// The short sampled effects: effect 0 the pop (BANN), effect 1 the delete whistle (HYUU).
#pragma once

#include <cstdint>

#include "host/window_handle.h"
#include "machine/audio.h"
#include "machine/clip.h"

// The one sound bank. Closed (audioDevice null) or open with every effect loaded.
struct SoundBank {
  platform::AudioDevice* audioDevice;  // the device the effects play through; null while closed
  platform::Clip** clips;              // effectCount clips in name-table order; null until loaded
  int32_t effectCount;
  const char* const* effectNames;  // the caller's table, stored as passed
};
extern SoundBank soundBank;

// Puts the bank back to its program-start state (all zero), freeing whatever it holds (tests).
void ResetSoundBank();

// Opens the bank on the open audio device and loads every effect; on any failure the bank stays
// closed and the game runs silently.
void OpenSoundBank(WindowHandle window, const char* const* names, int count);
// Loads effect `index` from the WAVE resource `name` into its clip; false when it cannot.
bool LoadEffect(int index, const char* name);
// Plays effect `index` from its start, cutting it off first if it still sounds.
void PlayEffect(int index);
// Frees every clip and closes the bank; harmless when closed.
void CloseSoundBank();

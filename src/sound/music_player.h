// The background music: track 0 BOSA during the wave, track 1 PARIS during the name entry.
#pragma once

#include "platform/window_handle.h"

bool OpenMusic(WindowHandle window, const char* const* names, int count);
bool LoadSong(int index, const char* name);
bool PlaySong(int track);
void StopMusic();
void PauseMusic();
void ResumeMusic();
void CloseMusic();

// The player's `playing` flag as the game flow reads it once per tick; a song that has ended is
// stopped completely before the answer is given.
bool MusicPlaying();

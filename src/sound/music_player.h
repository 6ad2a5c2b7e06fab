// The background music: track 0 BOSA during the wave, track 1 PARIS during the name entry.
// Each song is turned once, at start-up, into a row of ready-to-queue stream blocks; a song is
// played once through by queueing them all, and the player stops itself when the last one is back.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/window_handle.h"
#include "machine/midi_stream.h"

struct Song {
  uint8_t* blocks;  // the block slots (64-byte header + maxBuffer bytes each); null: not loaded
  const uint8_t* format;  // the resource's 'fmt ' chunk data, read in place; null: not found
  int32_t blockCount;
};

struct MusicPlayer {
  platform::MidiStreamHandle stream;
  Song* songs;
  std::atomic<uint32_t> doneBlocks;  // raised on the audio thread
  uint32_t deviceId;
  int32_t paused;
  int32_t currentTrack;
  int32_t songCount;
  const char* const* songNames;
  int32_t playing;
  // Set by the callback when the last block is back; the game thread then completes the stop.
  std::atomic<bool> songEnded;
};

extern MusicPlayer musicPlayer;

bool OpenMusic(WindowHandle window, const char* const* names, int count);
bool LoadSong(int index, const char* name);
bool PlaySong(int track);
void StopMusic();
void PauseMusic();
void ResumeMusic();
void CloseMusic();
// The stream's completion callback; runs on the audio thread (or on the caller's, for the blocks
// a stop returns). It only counts, and marks the song finished.
void MusicCallback(platform::MidiStreamHandle stream, uint32_t message, uintptr_t instance,
                   uintptr_t param1, uintptr_t param2);

// The player's `playing` flag as the game flow reads it once per tick; a song that has ended is
// stopped completely before the answer is given.
bool MusicPlaying();

// The 'fmt ' words of a loaded song: ticks per quarter note, and the room of every block slot.
uint32_t TimeFormat(const Song& song);
uint32_t MaxBuffer(const Song& song);
// The header of slot `index` of a loaded song.
platform::MidiHeader* SongSlot(const Song& song, int index);

// Closes the player and puts it back to its program-start values (tests).
void ResetMusicPlayer();

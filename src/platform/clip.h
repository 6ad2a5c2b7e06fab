// A short sampled sound, converted once to the mixer's format and rate, played once from its
// start. One voice per clip: playing it again while it sounds starts it over. Clips mix.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// How sample bytes are laid out, as a wave file's format chunk describes them.
struct WaveFormat {
  uint16_t formatTag = 0;         // 1 integer PCM, 3 floating point
  uint16_t channels = 0;          // interleaved in each frame
  uint32_t samplesPerSecond = 0;  // frames per second
  uint16_t blockAlign = 0;        // bytes per frame
  uint16_t bitsPerSample = 0;     // 8 (unsigned), 16 or 32 (signed), or 32 (float)
};

class Clip;

// Converts the samples to the mixer's format at AudioRate() and attaches the clip to the mixer;
// null when the format cannot be played or memory runs out.
Clip* CreateClip(const WaveFormat& format, const uint8_t* samples, size_t byteCount);
// Starts the clip from its first frame, cutting it off first if it still sounds (game thread).
void PlayClip(Clip* clip);
// Silences the clip (game thread).
void StopClip(Clip* clip);
// Detaches the clip from the mixer and frees it; safe with null.
void DestroyClip(Clip* clip);
// The clip's length in frames at the rate it was converted to (0 for null).
int ClipFrames(const Clip* clip);

}  // namespace platform

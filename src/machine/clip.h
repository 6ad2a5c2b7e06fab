// A short sampled sound, converted once to the mixer's format and rate, played once from its
// start. One voice per clip: playing it again while it sounds starts it over. Clips mix.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/clip_conversion.h"

namespace platform {

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

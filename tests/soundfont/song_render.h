// Plays a committed song through FluidSynth the way the game's synthesizer does (its settings,
// every event at its own sample, the notes released at the end), so two soundfonts can be
// compared sample for sample.
#pragma once

#include <string>
#include <vector>

// Interleaved stereo at 44,100 Hz: the whole song, then two seconds of tail. Empty when the
// soundfont or the song cannot be loaded.
std::vector<float> RenderSong(const std::string& soundfont, const std::string& song);

float Peak(const std::vector<float>& samples);

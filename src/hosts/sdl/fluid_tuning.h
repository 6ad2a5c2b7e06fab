// What every FluidSynth the game makes shares: its settings and how a short MIDI message reaches
// it. The soundfont test renders the songs through these too, so that it hears them exactly as
// the game plays them.
#pragma once

#include <fluidsynth.h>

#include <cstdint>

namespace platform {

// New FluidSynth settings at `rate` Hz with the game's tuning (gain, polyphony, reverb, chorus);
// null when FluidSynth has no memory. The caller deletes them.
fluid_settings_t* NewGameFluidSettings(double rate);
// Plays one short MIDI message (status in the low byte, then the two data bytes) on `synth`;
// running status and system messages are ignored.
void PlayShortMessage(fluid_synth_t* synth, uint32_t message);
// Lifts the sustain pedal and releases every note on all sixteen channels.
void ReleaseAllNotes(fluid_synth_t* synth);

}  // namespace platform

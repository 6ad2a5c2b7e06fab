// The recipes of the game's two sound effects. Change a number here, run make_effects, listen.
// Both effects are 200 ms of 8-bit mono at 22,050 Hz.
#pragma once

namespace effects {

constexpr int kRate = 22050;
constexpr int kSamples = 4410;  // 200 ms

// BANN, the pop of a balloon: a bright burst of filtered noise over a short low thump. The burst
// starts at once and dies away fast, so the sound still works when it is cut off and started
// again by the next pop a few ticks later.
struct PopRecipe {
  unsigned noiseSeed = 0x5EED'BA11u;  // the noise is the same on every run
  double attackMs = 0.6;              // noise rises this fast: the snap of the skin
  double decayMs = 14.0;              // time constant of its fall: 60 dB down after ~95 ms
  double brightStartHz = 6500.0;      // the band-pass centre starts high ...
  double brightEndHz = 1600.0;        // ... and slides down to here ...
  double brightSweepMs = 25.0;        // ... with this time constant: a hiss that turns to a pop
  double bandQ = 0.9;                 // a broad band: bright, not whistling
  double airLevel = 0.35;             // unfiltered high noise on top, for sparkle
  double thumpStartHz = 170.0;        // the thump drops in pitch like a little drum ...
  double thumpEndHz = 65.0;           // ... to here ...
  double thumpDropMs = 18.0;          // ... this fast
  double thumpDecayMs = 22.0;         // and fades with this time constant
  double thumpLevel = 0.55;           // against the burst's 1.0
  double fadeOutMs = 40.0;            // the last stretch fades to exact silence (sample 128)
  double peakDbfs = -1.0;             // the loudest sample
};

// HYUU, the delete whistle: a sine sliding down an octave with a slight vibrato, fading out.
struct WhistleRecipe {
  double startHz = 1760.0;      // A6 ...
  double endHz = 880.0;         // ... down an octave to A5 over the whole clip
  double vibratoHz = 11.0;      // a quick wobble ...
  double vibratoCents = 25.0;   // ... a quarter tone deep
  double overtoneLevel = 0.12;  // a little second harmonic: a whistle, not a test tone
  double attackMs = 4.0;        // soft start, no click
  double holdShare = 0.35;      // full level for this share of the clip, then ...
  double fadePower = 1.6;       // ... a fall to exact silence at the end with this curve
};

// Both effects carry the same energy over their 200 ms, which is how the ear judges the
// loudness of sounds this short. The pop is set by its peak; the whistle follows it.

}  // namespace effects

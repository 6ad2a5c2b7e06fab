// What a host's audio device tells the mixer; the game's code never includes this.
#pragma once

namespace platform {

// The device is open at `rate`: the mixer now runs at that rate and reports a current device.
void StartMixer(int rate);
// The device is closed: back to no device and 44100 Hz.
void StopMixer();
// The gains of the music and of the effects (1 is full level, 0 silence); the sources keep running
// at any gain. The player's settings set them.
void SetMixerGains(float music, float effects);
// The music's gain now, for a synthesizer that sounds outside the mixer (a system MIDI device)
// and applies the gain to what it sends instead. Any thread.
float MusicGain();

}  // namespace platform

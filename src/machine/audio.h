// The one audio device and its mixer. Sound effects and the music synthesizer are sources the
// mixer pulls from on the audio thread. Without a device every operation is harmless and silent.
#pragma once

#include "host/audio_device.h"
#include "machine/audio_source.h"

namespace platform {

// What a sound user holds while it plays through the open device; never looked inside.
struct AudioDevice;

// Opens the mixer with no output behind it, at 44100 Hz: tests pull its sound with RenderAudio.
void OpenAudioDeviceWithoutOutput();
// The open device (a real one or the output-less one), or null when none is open.
AudioDevice* CurrentAudioDevice();
// The rate the mixer runs at (the device's, or 44100 with no device).
int AudioRate();
// Which of the player's volumes a source follows.
enum class SoundGroup { kEffects, kMusic };

// Adds or removes a source; the mixer holds at most a handful. Once DetachAudioSource returns,
// the audio thread no longer touches the source (so do not call it holding a lock MixInto takes).
void AttachAudioSource(AudioSource* source, SoundGroup group = SoundGroup::kEffects);
void DetachAudioSource(AudioSource* source);
// Renders `frames` stereo frames from every attached source into out (cleared first), on the
// calling thread, the sum bent softly under full scale above kSoftLimitKnee. The device callback
// uses it; tests call it directly with no device open.
void RenderAudio(float* out, int frames);
// The same sum, left as it is: for a host that adds a source of its own to it elsewhere (the
// browser's audio worklet adds the music) and bends the whole itself, with the same knee.
void RenderAudioUnlimited(float* out, int frames);
inline constexpr float kSoftLimitKnee = 0.9f;
// Closes the device and detaches every source: the program-start state (tests).
void ResetAudio();

}  // namespace platform

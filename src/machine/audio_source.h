// Something the audio mixer pulls sound from on the audio thread (an effect voice, the
// synthesizer behind the music stream).
#pragma once

namespace platform {

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` frames of interleaved stereo float samples (-1..1) at `rate` Hz into `out`.
  // Runs on the audio thread: must not allocate or block on the game.
  virtual void MixInto(float* out, int frames, int rate) = 0;
};

}  // namespace platform

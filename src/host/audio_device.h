// The machine's sound output. The host opens it and, on its own audio thread, pulls the game's
// mixer (StartMixer, RenderAudio, StopMixer in machine/) for every block it plays.
#pragma once

namespace platform {

// Opens the default device (stereo float at its preferred rate) and starts the mixer; false when
// there is no usable device. Safe to call again once open.
bool OpenAudioDevice();
// Stops the mixer and closes the device; safe when closed.
void CloseAudioDevice();

}  // namespace platform

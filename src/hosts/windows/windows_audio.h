// What the Windows host's music needs from its sound device. Only src/hosts/windows/ sees it.
#pragma once

#include "hosts/windows/windows_api.h"

namespace platform {

// The system synthesizer sounds outside the mixer but takes its timing from it: without an audio
// device, starts a clock that renders the mixer in real time (its samples discarded), so the
// MIDI stream still plays its songs in time. Does nothing while a device or the clock runs.
void KeepMusicTime();

}  // namespace platform

// PLACEHOLDER until the browser's synthesizer lands: a synthesizer that never sounds.
#include "platform/synth.h"

namespace platform {
namespace {

class SilentSynth final : public Synth {
 public:
  void ShortMessage(uint32_t) override {}
  void AllNotesOff() override {}
  void Render(float*, int, int) override {}
};

SilentSynth silentSynth;

}  // namespace

Synth& SystemSynth() {
  return silentSynth;
}

bool WaitForSystemSynth() {
  return false;
}

}  // namespace platform

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/synth.h"

namespace {

double Energy(platform::Synth& synth, int frames) {
  std::vector<float> out(2 * static_cast<size_t>(frames), 0.0f);
  synth.Render(out.data(), frames, 44100);
  double sum = 0;
  for (float v : out) sum += static_cast<double>(v) * v;
  return sum / static_cast<double>(out.size());
}

// The real synthesizer with the system's soundfont: a note sounds, and all-notes-off lets it
// (sustain pedal and all) fade to nothing.
TEST(SystemSynthTest, ANoteSoundsAndAllNotesOffReleasesItEvenUnderThePedal) {
  platform::Synth& synth = platform::SystemSynth();
  if (!platform::WaitForSystemSynth()) GTEST_SKIP() << "no GM soundfont on this machine";
  EXPECT_LT(Energy(synth, 4410), 1e-8) << "quiet before anything is played";
  synth.ShortMessage(0x0035C1);  // channel 2: voice oohs, which hold as long as the key
  synth.ShortMessage(0x7F40B1);  // sustain pedal down
  synth.ShortMessage(0x643C91);  // middle C, velocity 100
  EXPECT_GT(Energy(synth, 4410), 1e-6);
  synth.AllNotesOff();
  Energy(synth, 44100 * 3);
  EXPECT_LT(Energy(synth, 4410), 1e-9) << "nothing left ringing";
}

}  // namespace

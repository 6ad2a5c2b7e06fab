#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "machine/synth_setup.h"
#include "recording_synth.h"

namespace {

// What a song tells the synthesizer before its soundfont has loaded comes back in one replay:
// the last value of each controller, the program and the bend, per channel in channel order;
// notes, mode messages and system messages are not kept, and all-notes-off lifts the pedal.
TEST(ChannelMemoryTest, ReplaysTheLastSettingOfEveryChannelAndNothingElse) {
  platform::ChannelMemory memory;
  RecordingSynth fresh;
  memory.Replay(fresh);
  EXPECT_TRUE(fresh.events.empty());

  for (uint32_t message : {
           0x0005C3u,  // channel 3 program 5
           0x647FB3u,  // channel 3 controller 127 (a mode message) is not kept
           0x7F40B3u,  // channel 3 sustain pedal down...
           0x5007B3u,  // ...volume 80...
           0x6407B3u,  // ...then 100
           0x403C93u,  // a note is not kept
           0x2000E3u,  // channel 3 bend centre, lsb 0 msb 64
           0x0010C0u,  // channel 0 program 16
           0x4001E0u,  // channel 0 bend lsb 1 msb 64
       }) {
    memory.Note(message);
  }
  memory.LiftPedals();

  RecordingSynth synth;
  memory.Replay(synth);
  std::vector<uint32_t> replayed;
  for (const RecordingSynth::Event& e : synth.events) replayed.push_back(e.message);
  // Lifting the pedals reaches every channel, so each replays a pedal up.
  std::vector<uint32_t> expected;
  for (uint32_t channel = 0; channel < 16; ++channel) {
    if (channel == 3) expected.push_back(0x6407B3u);
    expected.push_back(0x0040B0u | channel);
    if (channel == 0) expected.insert(expected.end(), {0x0010C0u, 0x4001E0u});
    if (channel == 3) expected.insert(expected.end(), {0x0005C3u, 0x2000E3u});
  }
  EXPECT_EQ(replayed, expected);
}

}  // namespace

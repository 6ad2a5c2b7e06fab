#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/synth.h"
#include "machine/midi_stream.h"
#include "machine/resources.h"
#include "mids_form.h"
#include "sound/music_player.h"

namespace {

using platform::ResourceType;

// Counts what it is told; safe to use from the one audio thread.
class CountingSynth : public platform::Synth {
 public:
  void ShortMessage(uint32_t) override { ++messages; }
  void AllNotesOff() override {}
  void Render(float*, int, int) override {}
  int messages = 0;
};

// Tiny songs that end every few dozen device callbacks.
Bytes QuickSong(int blocks) {
  std::vector<Bytes> all;
  for (int b = 0; b < blocks; ++b) {
    Events events;
    for (int e = 0; e < 3; ++e) events.Short(1, 0x403C90);
    all.push_back(events.bytes);
  }
  return SongForm(all);
}

// The game thread plays, pauses and stops while an audio thread renders and songs end under it:
// nothing deadlocks, the player's answers stay consistent, and a stopped player has its stream
// closed. Run under the sanitizers, it also watches the memory the two threads share.
TEST(MusicThreadsTest, GameAndAudioThreadsMeetSafely) {
  CountingSynth synth;
  platform::UseMidiSynth(&synth);
  const Bytes bosa = QuickSong(3);
  const Bytes paris = QuickSong(1);
  platform::OverrideResource("BOSA", ResourceType::kMids, bosa.data(), bosa.size());
  platform::OverrideResource("PARIS", ResourceType::kMids, paris.data(), paris.size());
  const char* const names[] = {"BOSA", "PARIS"};
  OpenMusic(nullptr, names, 2);

  std::atomic<bool> done{false};
  std::thread audio([&] {
    std::vector<float> out(2 * 64);
    while (!done.load()) platform::MidiOutputSource().MixInto(out.data(), 64, 48000);
  });
  int restarts = 0;
  for (int round = 0; round < 3000; ++round) {
    if (!MusicPlaying()) {
      ASSERT_TRUE(PlaySong(round % 2));
      ++restarts;
    }
    if (round % 7 == 0) PauseMusic();
    if (round % 7 == 3) ResumeMusic();
    if (round % 97 == 0) StopMusic();
    std::this_thread::yield();
  }
  StopMusic();
  done.store(true);
  audio.join();

  EXPECT_FALSE(MusicPlaying());
  EXPECT_GT(restarts, 1);
  platform::MidiPropTimeDiv read{8, 0};
  EXPECT_EQ(platform::MidiStreamProperty(musicPlayer.stream, reinterpret_cast<uint8_t*>(&read),
                                         platform::kMidiPropGet | platform::kMidiPropTimeDiv),
            platform::kMidiInvalidHandle);
  ResetMusicPlayer();
  platform::ClearResourceOverrides();
  platform::ResetMidiOutput();
}

}  // namespace

#include "machine/midi_stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "mids_form.h"
#include "recording_synth.h"

namespace {

using namespace platform;

struct Report {
  uint32_t message;
  MidiHeader* header;
  int64_t frame;
};

// Every callback the stream makes, with the synth's frame count at that moment.
std::vector<Report>* reports = nullptr;
RecordingSynth* clock = nullptr;

void Record(MidiStreamHandle, uint32_t message, uintptr_t, uintptr_t param1, uintptr_t) {
  reports->push_back({message, reinterpret_cast<MidiHeader*>(param1), clock->frame});
}

// One block of events with its own header, as the player lays it out.
struct Block {
  explicit Block(const Events& events) : bytes(events.bytes) {
    header.lpData = reinterpret_cast<char*>(bytes.data());
    header.dwBufferLength = static_cast<uint32_t>(bytes.size());
    header.dwBytesRecorded = static_cast<uint32_t>(bytes.size());
  }
  Bytes bytes;
  MidiHeader header{};
};

class MidiStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reports = &seen;
    clock = &synth;
    UseMidiSynth(&synth);
  }
  void TearDown() override {
    if (stream != nullptr) {
      MidiStreamStop(stream);
      MidiStreamClose(stream);
    }
    ResetMidiOutput();
  }

  void Open(uint32_t timeDivision) {
    uint32_t device = kMidiMapper;
    ASSERT_EQ(MidiStreamOpen(&stream, &device, 1, Record, 7, kCallbackFunction), kMidiOk);
    MidiPropTimeDiv property{8, timeDivision};
    ASSERT_EQ(MidiStreamProperty(stream, reinterpret_cast<uint8_t*>(&property),
                                 kMidiPropSet | kMidiPropTimeDiv),
              kMidiOk);
  }
  void Queue(Block& block) {
    ASSERT_EQ(MidiOutPrepareHeader(stream, &block.header, 64), kMidiOk);
    ASSERT_EQ(MidiStreamOut(stream, &block.header, 64), kMidiOk);
  }
  // Pulls `frames` frames in pieces of `piece`, as a device would.
  void Render(int frames, int rate, int piece = 512) {
    std::vector<float> out(2 * static_cast<size_t>(piece));
    while (frames > 0) {
      const int n = frames < piece ? frames : piece;
      MidiOutputSource().MixInto(out.data(), n, rate);
      frames -= n;
    }
  }
  std::vector<Report> Done() const {
    std::vector<Report> done;
    for (const Report& r : seen) {
      if (r.message == kMidiBlockDone) done.push_back(r);
    }
    return done;
  }

  RecordingSynth synth;
  std::vector<Report> seen;
  MidiStreamHandle stream = nullptr;
};

TEST_F(MidiStreamTest, EventsLandOnTheirSamplesAcrossBlocksAndTempoChanges) {
  // 750,000 us per quarter at 96 ticks and 48 kHz: 375 frames a tick.
  Block first(Events().Tempo(0, 750000).Short(0, 0x7F3C91).Short(10, 0x003C81).Short(3, 0x4090));
  // The first delta of a block counts from the last event of the one before.
  Block second(Events().Short(5, 0x004090).Tempo(1, 250000).Short(96, 0x503592));
  Open(96);
  Queue(first);
  Queue(second);
  Render(20000, 48000);
  EXPECT_TRUE(synth.Messages().empty()) << "a stream opens paused";
  ASSERT_EQ(MidiStreamRestart(stream), kMidiOk);
  synth.frame = 0;
  Render(200000, 48000, 333);

  const std::vector<RecordingSynth::Event> got = synth.Messages();
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].frame, 0);
  EXPECT_EQ(got[0].message, 0x7F3C91u);
  EXPECT_EQ(got[1].frame, 10 * 375);
  EXPECT_EQ(got[2].frame, 13 * 375);
  EXPECT_EQ(got[3].frame, 18 * 375);
  // From tick 19 on, 250,000 us per quarter: 125 frames a tick.
  EXPECT_EQ(got[4].frame, 19 * 375 + 96 * 125);
  EXPECT_EQ(got[4].message, 0x503592u);

  const std::vector<Report> done = Done();
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].header, &first.header);
  EXPECT_EQ(done[0].frame, 13 * 375) << "a block is done when its last event has played";
  EXPECT_EQ(done[1].header, &second.header);
  EXPECT_EQ(first.header.dwFlags & (kMidiHeaderDone | kMidiHeaderInQueue), kMidiHeaderDone);
}

TEST_F(MidiStreamTest, FractionalFramesPerTickNeverDrift) {
  // 650,000 us at 96 ticks and 44.1 kHz: 298.59375 frames a tick.
  Events events;
  events.Tempo(0, 650000);
  for (int i = 0; i < 300; ++i) events.Short(7, 0x90 | (i % 16) << 8);
  Block block(events);
  Open(96);
  Queue(block);
  ASSERT_EQ(MidiStreamRestart(stream), kMidiOk);
  Render(44100 * 20, 44100, 441);
  const std::vector<RecordingSynth::Event> got = synth.Messages();
  ASSERT_EQ(got.size(), 300u);
  for (int i = 0; i < 300; ++i) {
    const int64_t tick = 7 * (i + 1);
    EXPECT_EQ(got[static_cast<size_t>(i)].frame, tick * 29859375 / 100000) << "event " << i;
  }
}

TEST_F(MidiStreamTest, TimeDivisionSetsTheTickLength) {
  // Default tempo, 500,000 us per quarter; 480 ticks at 48 kHz: 50 frames a tick.
  Block block(Events().Short(480, 0x90).Short(24, 0x80));
  Open(480);
  MidiPropTimeDiv read{8, 0};
  ASSERT_EQ(MidiStreamProperty(stream, reinterpret_cast<uint8_t*>(&read),
                               kMidiPropGet | kMidiPropTimeDiv),
            kMidiOk);
  EXPECT_EQ(read.dwTimeDiv, 480u);
  Queue(block);
  MidiStreamRestart(stream);
  Render(48000, 48000);
  const std::vector<RecordingSynth::Event> got = synth.Messages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].frame, 24000);
  EXPECT_EQ(got[1].frame, 25200);
}

TEST_F(MidiStreamTest, PauseHoldsTheClockAndLetsTheNotesGo) {
  Block block(Events().Short(0, 0x90).Short(96, 0x91).Short(96, 0x92));  // 24,000 frames apart
  Open(96);
  Queue(block);
  MidiStreamRestart(stream);
  Render(30000, 48000);
  ASSERT_EQ(MidiStreamPause(stream), kMidiOk);
  ASSERT_EQ(MidiStreamPause(stream), kMidiOk);
  Render(100000, 48000);
  EXPECT_EQ(synth.Messages().size(), 2u);
  EXPECT_EQ(synth.AllNotesOffCount(), 1);
  EXPECT_TRUE(Done().empty()) << "a paused stream keeps its blocks";
  ASSERT_EQ(MidiStreamRestart(stream), kMidiOk);
  Render(30000, 48000);
  const std::vector<RecordingSynth::Event> got = synth.Messages();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2].frame, 48000 + 100000) << "the 18,000 frames left before the pause";
  EXPECT_EQ(Done().size(), 1u);
}

TEST_F(MidiStreamTest, StopSilencesAndReturnsEveryBlockInOrder) {
  Block a(Events().Short(0, 0x90).Short(10, 0x80));
  Block b(Events().Short(96, 0x91));
  Block c(Events().Short(96, 0x92));
  Open(96);
  Queue(a);
  Queue(b);
  Queue(c);
  MidiStreamRestart(stream);
  Render(10000, 48000);
  ASSERT_EQ(Done().size(), 1u);
  EXPECT_EQ(MidiOutUnprepareHeader(stream, &b.header, 64), kMidiStillPlaying);
  EXPECT_EQ(MidiStreamClose(stream), kMidiStillPlaying);

  ASSERT_EQ(MidiStreamStop(stream), kMidiOk);
  std::vector<Report> done = Done();
  ASSERT_EQ(done.size(), 3u) << "the stop hands the queue back at once";
  EXPECT_EQ(done[1].header, &b.header);
  EXPECT_EQ(done[2].header, &c.header);
  EXPECT_EQ(c.header.dwFlags & (kMidiHeaderDone | kMidiHeaderInQueue), kMidiHeaderDone);
  EXPECT_EQ(MidiOutReset(stream), kMidiOk);
  EXPECT_EQ(Done().size(), 3u);

  const size_t before = synth.Messages().size();
  Render(100000, 48000);
  EXPECT_EQ(synth.Messages().size(), before) << "nothing plays after a stop";
  EXPECT_EQ(synth.AllNotesOffCount(), 1);
  EXPECT_EQ(MidiOutUnprepareHeader(stream, &b.header, 64), kMidiOk);
  EXPECT_EQ(b.header.dwFlags & kMidiHeaderPrepared, 0u);

  // The stream starts over from tick 0 with what is queued next.
  Queue(b);
  MidiStreamRestart(stream);
  synth.frame = 0;
  Render(30000, 48000);
  ASSERT_EQ(synth.Messages().size(), before + 1);
  EXPECT_EQ(synth.Messages().back().frame, 24000);

  MidiStreamStop(stream);
  EXPECT_EQ(MidiStreamClose(stream), kMidiOk);
  EXPECT_EQ(seen.back().message, kMidiClosed);
  EXPECT_EQ(MidiStreamRestart(stream), kMidiInvalidHandle);
  stream = nullptr;
}

TEST_F(MidiStreamTest, RefusesWhatItCannotPlay) {
  uint32_t device = 3;
  MidiStreamHandle other = nullptr;
  EXPECT_EQ(MidiStreamOpen(&other, &device, 1, Record, 0, kCallbackFunction), kMidiBadDeviceId);
  device = kMidiMapper;
  EXPECT_EQ(MidiStreamOpen(&other, &device, 2, Record, 0, kCallbackFunction), kMidiInvalidParam);
  EXPECT_EQ(MidiStreamOpen(&other, &device, 1, Record, 0, 0x00010000), kMidiInvalidFlag);

  Open(96);
  EXPECT_EQ(seen.front().message, kMidiOpened);
  EXPECT_EQ(MidiStreamOpen(&other, &device, 1, Record, 0, kCallbackFunction), kMidiAllocated);

  MidiPropTimeDiv smpte{8, 0xE728};
  EXPECT_EQ(MidiStreamProperty(stream, reinterpret_cast<uint8_t*>(&smpte),
                               kMidiPropSet | kMidiPropTimeDiv),
            kMidiInvalidParam);
  MidiPropTimeDiv wrongSize{12, 96};
  EXPECT_EQ(MidiStreamProperty(stream, reinterpret_cast<uint8_t*>(&wrongSize),
                               kMidiPropSet | kMidiPropTimeDiv),
            kMidiInvalidParam);

  Block block(Events().Short(0, 0x90));
  EXPECT_EQ(MidiStreamOut(stream, &block.header, 64), kMidiUnprepared);
  EXPECT_EQ(MidiOutPrepareHeader(stream, &block.header, 48), kMidiInvalidParam);
  block.header.dwBytesRecorded = block.header.dwBufferLength + 12;
  ASSERT_EQ(MidiOutPrepareHeader(stream, &block.header, 64), kMidiOk);
  EXPECT_EQ(MidiStreamOut(stream, &block.header, 64), kMidiInvalidParam);
  block.header.dwBytesRecorded = block.header.dwBufferLength;
  ASSERT_EQ(MidiStreamOut(stream, &block.header, 64), kMidiOk);
  EXPECT_EQ(MidiStreamOut(stream, &block.header, 64), kMidiStillPlaying);
  EXPECT_EQ(MidiStreamPause(nullptr), kMidiInvalidHandle);
  MidiStreamStop(stream);  // hand the block back before it goes out of scope
}

TEST_F(MidiStreamTest, ShortAndOddBlocksStillComeBack) {
  // An empty block and one with a trailing partial event are done once the clock reaches them.
  Block empty(Events{});
  Block partial(Events().Short(0, 0x90));
  partial.bytes.resize(18);
  partial.header.lpData = reinterpret_cast<char*>(partial.bytes.data());
  partial.header.dwBufferLength = partial.header.dwBytesRecorded = 18;
  Open(96);
  Queue(empty);
  Queue(partial);
  MidiStreamRestart(stream);
  Render(512, 48000);
  ASSERT_EQ(Done().size(), 2u);
  EXPECT_EQ(synth.Messages().size(), 1u);
}

TEST_F(MidiStreamTest, TheSynthPlaysIntoTheMixAndRingsOutAfterClose) {
  Open(96);
  std::vector<float> out(256, 0.5f);
  MidiOutputSource().MixInto(out.data(), 128, 48000);
  EXPECT_FLOAT_EQ(out[0], 0.5f + kRecordingLevel) << "the stream adds to what is there";
  EXPECT_FLOAT_EQ(out[255], 0.5f + kRecordingLevel);
  ASSERT_EQ(MidiStreamClose(stream), kMidiOk);
  stream = nullptr;
  const int64_t closedAt = synth.frame;
  Render(48000 * 5, 48000);
  EXPECT_GT(synth.frame, closedAt) << "released notes are allowed to fade";
  EXPECT_LT(synth.frame, closedAt + 48000 * 5) << "and then the synthesizer rests";
}

}  // namespace

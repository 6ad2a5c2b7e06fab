// The timing core behind the MIDI stream: a queue of event blocks played against a synthesizer,
// each event at its exact sample position. Not locked by itself; the stream guards it.
#pragma once

#include <cstdint>

#include "machine/midi_stream.h"

namespace platform {

class Synth;

class MidiSequencer {
 public:
  // Told about each block that has played out, already marked done and out of the queue.
  using BlockDone = void (*)(MidiHeader* header, void* context);

  // Forgets the queue (without telling anyone), back to tick 0, division 96, tempo 500,000.
  void Clear();
  // Ticks per quarter note; the clock's fraction starts over.
  void SetTimeDivision(uint32_t ticksPerQuarter);
  uint32_t TimeDivision() const { return timeDivision_; }
  // Appends a block at the end of the queue.
  void Append(MidiHeader* header);
  bool Empty() const { return head_ == nullptr; }
  // Takes every queued block out, marked done, chained through lpNext; the clock goes back to
  // tick 0 (the tempo stays).
  MidiHeader* TakeAll();
  // Renders `frames` stereo frames through `synth` into `out`. While `running`, the events due
  // inside the span are sent at their sample positions and finished blocks reported; otherwise
  // the clock holds and the synthesizer just plays on.
  void Render(Synth& synth, float* out, int frames, int rate, bool running, BlockDone done,
              void* context);

 private:
  // Makes sure the next event is loaded and its wait converted to samples; reports blocks that
  // have nothing more to play. False when the queue is empty.
  bool LoadNextEvent(int rate, BlockDone done, void* context);
  // Sends the loaded event and steps past it.
  void FireEvent(Synth& synth);
  uint64_t TicksToSamples(uint32_t ticks, int rate);

  MidiHeader* head_ = nullptr;
  MidiHeader* tail_ = nullptr;
  uint32_t timeDivision_ = 96;
  uint32_t tempo_ = 500000;
  bool eventLoaded_ = false;
  uint64_t samplesToEvent_ = 0;
  // What the tick-to-sample conversion has left over, in 1 / (1,000,000 x division) samples, so
  // that rounding never adds up over a song.
  uint64_t fraction_ = 0;
};

}  // namespace platform

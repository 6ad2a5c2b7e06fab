#include "machine/midi_sequencer.h"

#include <algorithm>
#include <cstring>

#include "host/synth.h"

namespace platform {
namespace {

constexpr uint32_t kDefaultTimeDivision = 96;
constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute
// Large waits are converted in steps small enough that ticks x tempo x rate fits in 64 bits.
constexpr uint32_t kTickStep = 1u << 16;

uint32_t ReadWord(const char* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

void MidiSequencer::Clear() {
  head_ = tail_ = nullptr;
  timeDivision_ = kDefaultTimeDivision;
  tempo_ = kDefaultTempo;
  eventLoaded_ = false;
  samplesToEvent_ = 0;
  fraction_ = 0;
}

void MidiSequencer::SetTimeDivision(uint32_t ticksPerQuarter) {
  timeDivision_ = ticksPerQuarter;
  fraction_ = 0;
}

void MidiSequencer::Append(MidiHeader* header) {
  header->lpNext = nullptr;
  if (tail_ == nullptr) {
    head_ = header;
  } else {
    tail_->lpNext = header;
  }
  tail_ = header;
}

MidiHeader* MidiSequencer::TakeAll() {
  MidiHeader* taken = head_;
  for (MidiHeader* h = head_; h != nullptr; h = h->lpNext) {
    h->dwFlags = (h->dwFlags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
  }
  head_ = tail_ = nullptr;
  eventLoaded_ = false;
  samplesToEvent_ = 0;
  fraction_ = 0;
  return taken;
}

uint64_t MidiSequencer::TicksToSamples(uint32_t ticks, int rate) {
  const uint64_t perTick = uint64_t{tempo_} * static_cast<uint64_t>(std::max(rate, 1));
  const uint64_t denominator = uint64_t{1000000} * timeDivision_;
  uint64_t samples = 0;
  while (ticks > 0) {
    const uint32_t step = std::min(ticks, kTickStep);
    const uint64_t numerator = step * perTick + fraction_;
    samples += numerator / denominator;
    fraction_ = numerator % denominator;
    ticks -= step;
  }
  return samples;
}

bool MidiSequencer::LoadNextEvent(int rate, BlockDone done, void* context) {
  while (!eventLoaded_) {
    MidiHeader* block = head_;
    if (block == nullptr) return false;
    if (uint64_t{block->dwOffset} + kMidiEventBytes <= block->dwBytesRecorded) {
      samplesToEvent_ = TicksToSamples(ReadWord(block->lpData + block->dwOffset), rate);
      eventLoaded_ = true;
      break;
    }
    // Nothing (whole) left in this block: it has played out.
    head_ = block->lpNext;
    if (head_ == nullptr) tail_ = nullptr;
    block->lpNext = nullptr;
    block->dwFlags = (block->dwFlags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
    if (done != nullptr) done(block, context);
  }
  return true;
}

void MidiSequencer::FireEvent(Synth& synth) {
  MidiHeader* block = head_;
  const char* event = block->lpData + block->dwOffset;
  const uint32_t word = ReadWord(event + 8);
  uint64_t next = uint64_t{block->dwOffset} + kMidiEventBytes;
  if (word & kMidiEventLong) {
    // Parameter bytes (padded to whole words) follow; nothing here uses them.
    next += ((word & 0xFFFFFFu) + 3u) & ~uint64_t{3};
  } else {
    const uint32_t type = (word >> 24) & 0x3Fu;
    if (type == kMidiEventShortMessage) {
      synth.ShortMessage(word & 0xFFFFFFu);
    } else if (type == kMidiEventTempo && (word & 0xFFFFFFu) != 0) {
      tempo_ = word & 0xFFFFFFu;
    }
  }
  block->dwOffset = static_cast<uint32_t>(std::min<uint64_t>(next, block->dwBytesRecorded));
  eventLoaded_ = false;
}

void MidiSequencer::Render(Synth& synth, float* out, int frames, int rate, bool running,
                           BlockDone done, void* context) {
  int position = 0;
  for (;;) {
    if (running) {
      while (LoadNextEvent(rate, done, context) && samplesToEvent_ == 0) FireEvent(synth);
    }
    if (position >= frames) break;
    uint64_t span = static_cast<uint64_t>(frames - position);
    const bool waiting = running && eventLoaded_;
    if (waiting) span = std::min(span, samplesToEvent_);
    synth.Render(out + 2 * position, static_cast<int>(span), rate);
    position += static_cast<int>(span);
    if (waiting) samplesToEvent_ -= span;
  }
}

}  // namespace platform

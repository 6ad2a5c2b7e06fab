// A synthesizer that writes down what it is told and when (in frames it has rendered), and
// renders a small constant so a test can see that its output reached the mix.
#pragma once

#include <cstdint>
#include <vector>

#include "host/synth.h"

constexpr uint32_t kAllNotesOffMark = 0xFFFFFFFF;
constexpr float kRecordingLevel = 0.125f;

class RecordingSynth : public platform::Synth {
 public:
  struct Event {
    int64_t frame;
    uint32_t message;  // kAllNotesOffMark for AllNotesOff
  };

  RecordingSynth() { events.reserve(4096); }
  void ShortMessage(uint32_t message) override { events.push_back({frame, message}); }
  void AllNotesOff() override { events.push_back({frame, kAllNotesOffMark}); }
  void Render(float* out, int frames, int) override {
    for (int i = 0; i < 2 * frames; ++i) out[i] += kRecordingLevel;
    frame += frames;
  }

  // The short messages only, without the all-notes-off marks.
  std::vector<Event> Messages() const {
    std::vector<Event> found;
    for (const Event& e : events) {
      if (e.message != kAllNotesOffMark) found.push_back(e);
    }
    return found;
  }
  int AllNotesOffCount() const {
    int count = 0;
    for (const Event& e : events) count += e.message == kAllNotesOffMark;
    return count;
  }

  std::vector<Event> events;
  int64_t frame = 0;
};

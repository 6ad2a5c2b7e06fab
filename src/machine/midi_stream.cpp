// The one MIDI stream of the game, played on the synthesizer inside the audio mixer. The game
// thread queues and controls; the audio thread plays. Both meet under one small lock, which the
// game thread holds only for a few assignments.
#include "machine/midi_stream.h"

#include <mutex>

#include "host/synth.h"
#include "machine/audio.h"
#include "machine/midi_sequencer.h"

namespace platform {

struct MidiStream {};

namespace {

// After a close the synthesizer plays on this long, so released notes and the reverb fade out
// instead of being cut off.
constexpr int kTailSeconds = 2;

class MidiOutput final : public AudioSource {
 public:
  void MixInto(float* out, int frames, int rate) override;

  std::mutex lock;
  MidiSequencer sequencer;
  Synth* synth = nullptr;
  MidiCallback callback = nullptr;
  uintptr_t instance = 0;
  bool open = false;
  bool running = false;
  bool silence = false;  // all notes off at the next render (the synth is the audio thread's)
  int tailFrames = 0;
};

MidiStream theStream;
MidiOutput output;
Synth* synthOverride = nullptr;
bool attached = false;  // game thread only

bool Valid(MidiStreamHandle stream) {
  return stream == &theStream && output.open;
}

void ReportDone(MidiHeader* header, void* context) {
  auto* self = static_cast<MidiOutput*>(context);
  if (self->callback != nullptr) {
    self->callback(&theStream, kMidiBlockDone, self->instance, reinterpret_cast<uintptr_t>(header),
                   0);
  }
}

void MidiOutput::MixInto(float* out, int frames, int rate) {
  std::lock_guard<std::mutex> hold(lock);
  if (synth == nullptr || frames <= 0) return;
  if (silence) {
    synth->AllNotesOff();
    silence = false;
  }
  if (open) {
    sequencer.Render(*synth, out, frames, rate, running, &ReportDone, this);
  } else if (tailFrames > 0) {
    synth->Render(out, frames, rate);
    tailFrames -= frames;
  }
}

// Stop and reset: take the queue out under the lock, report it outside.
uint32_t ReturnEveryBlock(MidiStreamHandle stream) {
  MidiHeader* returned;
  MidiCallback callback;
  uintptr_t instance;
  {
    std::lock_guard<std::mutex> hold(output.lock);
    if (!Valid(stream)) return kMidiInvalidHandle;
    returned = output.sequencer.TakeAll();
    output.running = false;
    output.silence = true;
    callback = output.callback;
    instance = output.instance;
  }
  while (returned != nullptr) {
    MidiHeader* next = returned->lpNext;
    returned->lpNext = nullptr;
    if (callback != nullptr) {
      callback(stream, kMidiBlockDone, instance, reinterpret_cast<uintptr_t>(returned), 0);
    }
    returned = next;
  }
  return kMidiOk;
}

}  // namespace

uint32_t MidiStreamOpen(MidiStreamHandle* stream, uint32_t* deviceId, uint32_t count,
                        MidiCallback callback, uintptr_t instance, uint32_t openFlags) {
  if (stream == nullptr || deviceId == nullptr || count != 1) return kMidiInvalidParam;
  if (*deviceId != 0 && *deviceId != kMidiMapper) return kMidiBadDeviceId;
  if (openFlags != kCallbackFunction && openFlags != kCallbackNull) return kMidiInvalidFlag;
  if (openFlags == kCallbackFunction && callback == nullptr) return kMidiInvalidParam;
  Synth* synth = synthOverride != nullptr ? synthOverride : &SystemSynth();
  {
    std::lock_guard<std::mutex> hold(output.lock);
    if (output.open) return kMidiAllocated;
    output.sequencer.Clear();
    output.synth = synth;
    output.callback = openFlags == kCallbackFunction ? callback : nullptr;
    output.instance = instance;
    output.open = true;
    output.running = false;
    output.tailFrames = 0;
  }
  // Outside our lock: the mixer takes its own lock, and the audio thread takes ours inside it.
  if (!attached) {
    AttachAudioSource(&output, SoundGroup::kMusic);
    attached = true;
  }
  *stream = &theStream;
  if (output.callback != nullptr) output.callback(&theStream, kMidiOpened, instance, 0, 0);
  return kMidiOk;
}

uint32_t MidiStreamProperty(MidiStreamHandle stream, uint8_t* property, uint32_t flags) {
  auto* timeDiv = reinterpret_cast<MidiPropTimeDiv*>(property);
  const uint32_t direction = flags & (kMidiPropSet | kMidiPropGet);
  if (timeDiv == nullptr || (flags & ~(kMidiPropSet | kMidiPropGet)) != kMidiPropTimeDiv ||
      (direction != kMidiPropSet && direction != kMidiPropGet) ||
      timeDiv->cbStruct != sizeof(MidiPropTimeDiv)) {
    return kMidiInvalidParam;
  }
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  if (direction == kMidiPropGet) {
    timeDiv->dwTimeDiv = output.sequencer.TimeDivision();
    return kMidiOk;
  }
  // Only ticks per quarter note; a frame-based (SMPTE) division has its top bit set.
  if (timeDiv->dwTimeDiv == 0 || timeDiv->dwTimeDiv > 0x7FFF) return kMidiInvalidParam;
  output.sequencer.SetTimeDivision(timeDiv->dwTimeDiv);
  return kMidiOk;
}

uint32_t MidiOutPrepareHeader(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize) {
  if (header == nullptr || headerSize != sizeof(MidiHeader)) return kMidiInvalidParam;
  if (header->lpData == nullptr && header->dwBufferLength > 0) return kMidiInvalidParam;
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  header->dwFlags |= kMidiHeaderPrepared;
  return kMidiOk;
}

uint32_t MidiOutUnprepareHeader(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize) {
  if (header == nullptr || headerSize != sizeof(MidiHeader)) return kMidiInvalidParam;
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  if (header->dwFlags & kMidiHeaderInQueue) return kMidiStillPlaying;
  header->dwFlags &= ~kMidiHeaderPrepared;
  return kMidiOk;
}

uint32_t MidiStreamOut(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize) {
  if (header == nullptr || headerSize != sizeof(MidiHeader)) return kMidiInvalidParam;
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  if (!(header->dwFlags & kMidiHeaderPrepared)) return kMidiUnprepared;
  if (header->dwFlags & kMidiHeaderInQueue) return kMidiStillPlaying;
  if (header->dwBytesRecorded > header->dwBufferLength ||
      (header->lpData == nullptr && header->dwBytesRecorded > 0)) {
    return kMidiInvalidParam;
  }
  header->dwFlags = (header->dwFlags & ~kMidiHeaderDone) | kMidiHeaderInQueue | kMidiHeaderIsStream;
  header->dwOffset = 0;
  output.sequencer.Append(header);
  return kMidiOk;
}

uint32_t MidiStreamPause(MidiStreamHandle stream) {
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  if (output.running) output.silence = true;
  output.running = false;
  return kMidiOk;
}

uint32_t MidiStreamRestart(MidiStreamHandle stream) {
  std::lock_guard<std::mutex> hold(output.lock);
  if (!Valid(stream)) return kMidiInvalidHandle;
  output.running = true;
  return kMidiOk;
}

uint32_t MidiStreamStop(MidiStreamHandle stream) {
  return ReturnEveryBlock(stream);
}

uint32_t MidiOutReset(MidiStreamHandle stream) {
  return ReturnEveryBlock(stream);
}

uint32_t MidiStreamClose(MidiStreamHandle stream) {
  MidiCallback callback;
  uintptr_t instance;
  {
    std::lock_guard<std::mutex> hold(output.lock);
    if (!Valid(stream)) return kMidiInvalidHandle;
    if (!output.sequencer.Empty()) return kMidiStillPlaying;
    output.open = false;
    output.running = false;
    output.silence = true;
    output.tailFrames = kTailSeconds * AudioRate();
    callback = output.callback;
    instance = output.instance;
    output.callback = nullptr;
  }
  if (callback != nullptr) callback(stream, kMidiClosed, instance, 0, 0);
  return kMidiOk;
}

void PrepareMidiOutput() {
  if (synthOverride == nullptr) SystemSynth();
}

AudioSource& MidiOutputSource() {
  return output;
}

void UseMidiSynth(Synth* synth) {
  synthOverride = synth;
}

void ResetMidiOutput() {
  if (attached) {
    DetachAudioSource(&output);
    attached = false;
  }
  std::lock_guard<std::mutex> hold(output.lock);
  output.sequencer.Clear();
  output.synth = nullptr;
  output.callback = nullptr;
  output.instance = 0;
  output.open = false;
  output.running = false;
  output.silence = false;
  output.tailFrames = 0;
  synthOverride = nullptr;
}

}  // namespace platform

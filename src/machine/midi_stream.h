// The MIDI stream the music player plays through: queued blocks of timed MIDI events, played in
// order on the General-MIDI synthesizer inside the audio mixer, each finished block reported back
// through a callback. Results are 0 on success and a nonzero error code otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/audio_source.h"

namespace platform {

class Synth;
struct MidiStream;
using MidiStreamHandle = MidiStream*;

// One block of stream events as the player hands it over: a 64-byte header followed (anywhere)
// by the event bytes it points to. The stream owns lpNext and the reserved fields while the
// block is queued.
struct MidiHeader {
  char* lpData;              // the event bytes
  uint32_t dwBufferLength;   // room at lpData
  uint32_t dwBytesRecorded;  // event bytes actually there
  uintptr_t dwUser;          // the caller's own value
  uint32_t dwFlags;          // kMidiHeader* bits
  uint32_t dwOffset;         // bytes of this block already played
  MidiHeader* lpNext;        // next block in the stream's queue
  uintptr_t reserved;
  uint8_t dwReserved[64 - 4 * sizeof(void*) - 4 * sizeof(uint32_t)];
};
static_assert(sizeof(MidiHeader) == 64, "block slots are laid out with 64-byte headers");

constexpr uint32_t kMidiHeaderDone = 0x01;      // returned by the stream
constexpr uint32_t kMidiHeaderPrepared = 0x02;  // prepared, may be queued
constexpr uint32_t kMidiHeaderInQueue = 0x04;   // queued and not yet returned
constexpr uint32_t kMidiHeaderIsStream = 0x08;  // queued on a stream

// One 12-byte stream event: delta ticks since the previous event (running across blocks), a
// stream id (not looked at), and an event word whose top byte is the type.
constexpr size_t kMidiEventBytes = 12;
constexpr uint32_t kMidiEventShortMessage = 0x00;  // low three bytes: status, data 1, data 2
constexpr uint32_t kMidiEventTempo = 0x01;         // low 24 bits: microseconds per quarter note
constexpr uint32_t kMidiEventNop = 0x02;
constexpr uint32_t kMidiEventLong = 0x80000000;      // parameter bytes follow the event word
constexpr uint32_t kMidiEventCallback = 0x40000000;  // not supported: played as a plain event

// Callback messages, and how the callback is named at open.
constexpr uint32_t kMidiOpened = 0x3C7;     // MOM_OPEN
constexpr uint32_t kMidiClosed = 0x3C8;     // MOM_CLOSE
constexpr uint32_t kMidiBlockDone = 0x3C9;  // MOM_DONE: param1 is the finished MidiHeader*
constexpr uint32_t kCallbackNull = 0x00000000;
constexpr uint32_t kCallbackFunction = 0x00030000;
constexpr uint32_t kMidiMapper = 0xFFFFFFFF;  // the default output

// Result codes.
constexpr uint32_t kMidiOk = 0;
constexpr uint32_t kMidiBadDeviceId = 2;
constexpr uint32_t kMidiAllocated = 4;
constexpr uint32_t kMidiInvalidHandle = 5;
constexpr uint32_t kMidiInvalidFlag = 10;
constexpr uint32_t kMidiInvalidParam = 11;
constexpr uint32_t kMidiUnprepared = 64;
constexpr uint32_t kMidiStillPlaying = 65;

// Property flags and record for the time division (ticks per quarter note).
constexpr uint32_t kMidiPropSet = 0x80000000;
constexpr uint32_t kMidiPropGet = 0x40000000;
constexpr uint32_t kMidiPropTimeDiv = 0x00000001;
struct MidiPropTimeDiv {
  uint32_t cbStruct;  // 8
  uint32_t dwTimeDiv;
};

// Called with (stream, message, instance, param1, param2): kMidiBlockDone on the audio thread for
// a block that has played out, on the caller's thread for blocks returned by stop or reset. It
// must not call any stream function.
using MidiCallback = void (*)(MidiStreamHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t);

// Opens the one stream on device 0 or kMidiMapper (count 1), paused, time division 96, tempo
// 500,000 us per quarter; kMidiAllocated while another stream is open.
uint32_t MidiStreamOpen(MidiStreamHandle* stream, uint32_t* deviceId, uint32_t count,
                        MidiCallback callback, uintptr_t instance, uint32_t openFlags);
// Sets (or reads) the time division; the value must be ticks per quarter note.
uint32_t MidiStreamProperty(MidiStreamHandle stream, uint8_t* property, uint32_t flags);
// Marks a block ready to queue; headerSize must be 64.
uint32_t MidiOutPrepareHeader(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize);
// Releases a prepared block; kMidiStillPlaying while it is queued.
uint32_t MidiOutUnprepareHeader(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize);
// Appends a prepared block to the queue.
uint32_t MidiStreamOut(MidiStreamHandle stream, MidiHeader* header, uint32_t headerSize);
// Holds the stream's clock (queued blocks stay) and lets the sounding notes go.
uint32_t MidiStreamPause(MidiStreamHandle stream);
// Starts or resumes the clock.
uint32_t MidiStreamRestart(MidiStreamHandle stream);
// Silences every note, returns every queued block as done and pauses the clock at tick 0.
uint32_t MidiStreamStop(MidiStreamHandle stream);
// Same as stop for a stream: all notes off, every pending block returned.
uint32_t MidiOutReset(MidiStreamHandle stream);
// Closes the stream; kMidiStillPlaying while blocks are queued.
uint32_t MidiStreamClose(MidiStreamHandle stream);

// Starts loading the synthesizer in the background, so the first song does not wait for it.
void PrepareMidiOutput();
// The MIDI output as the mixer sees it; tests render it on request with MixInto.
AudioSource& MidiOutputSource();
// Plays through `synth` instead of the system synthesizer (tests and tools; null restores).
void UseMidiSynth(Synth* synth);
// Closes any open stream without callbacks and detaches the output (tests).
void ResetMidiOutput();

}  // namespace platform

// The system synthesizer on Windows: the machine's own General-MIDI device (the MIDI mapper,
// normally Microsoft's GS Wavetable Synth) through winmm. The stream's events are sent as the
// mixer renders the samples they belong to, so the mixer's clock times them; the device makes
// the sound itself, so Render adds nothing. The music's volume and mute act on what is sent:
// every channel's volume controller (CC 7) is scaled by the mixer's music gain, and at gain 0 the
// channels are silent while the stream keeps its time.
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "host/synth.h"
#include "hosts/windows/windows_audio.h"
#include "hosts/windows/windows_window.h"
#include "machine/audio_mixer.h"
#include "machine/printable.h"

namespace platform {
namespace {

constexpr int kChannels = 16;
constexpr uint32_t kControlChange = 0xB0;
constexpr uint32_t kVolumeController = 7;
constexpr uint32_t kSustainController = 64;
constexpr uint32_t kAllNotesOffController = 123;
constexpr int kDefaultVolume = 100;  // a GM channel's volume before any CC 7

class MidiOutSynth final : public Synth {
 public:
  MidiOutSynth() {
    volumes_.fill(kDefaultVolume);
    const MMRESULT result = midiOutOpen(&out_, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
      out_ = nullptr;
      wchar_t text[MAXERRORLENGTH] = L"";
      midiOutGetErrorTextW(result, text, MAXERRORLENGTH);
      std::string why = Utf8(text);
      while (!why.empty() && (why.back() == '.' || why.back() == ' ')) why.pop_back();
      std::fprintf(stderr, "skypop: no MIDI output device (%s); playing without music\n",
                   Printable(why).c_str());
      return;
    }
    // The songs are timed by the mixer's rendering, which runs even without an audio device.
    KeepMusicTime();
  }

  void ShortMessage(uint32_t message) override {
    if (out_ == nullptr) return;
    const uint32_t status = message & 0xFF;
    if (status < 0x80 || status >= 0xF0) return;  // no running status, no system messages
    FollowGain();
    const uint32_t data1 = (message >> 8) & 0x7F;
    if ((status & 0xF0) == kControlChange && data1 == kVolumeController) {
      const int channel = static_cast<int>(status & 0x0F);
      volumes_[static_cast<size_t>(channel)] = static_cast<int>((message >> 16) & 0x7F);
      SendVolume(channel);
      return;
    }
    midiOutShortMsg(out_, message & 0xFFFFFF);
  }

  void AllNotesOff() override {
    if (out_ == nullptr) return;
    for (uint32_t channel = 0; channel < kChannels; ++channel) {
      // A held pedal would keep the notes sounding.
      Send(kControlChange | channel, kSustainController, 0);
      Send(kControlChange | channel, kAllNotesOffController, 0);
    }
  }

  void Render(float*, int, int) override { FollowGain(); }

  bool Open() const { return out_ != nullptr; }

  void Close() {
    if (out_ == nullptr) return;
    midiOutReset(out_);  // every note off on every channel
    midiOutClose(out_);
    out_ = nullptr;
  }

 private:
  void Send(uint32_t status, uint32_t data1, uint32_t data2) {
    midiOutShortMsg(out_, status | data1 << 8 | data2 << 16);
  }

  // The mixer's gains are amplitudes (the square of the slider); a channel's volume controller
  // acts on the amplitude as its square too, so the controller is scaled by the slider itself.
  void SendVolume(int channel) {
    const double scaled = volumes_[static_cast<size_t>(channel)] * std::sqrt(gain_);
    Send(kControlChange | static_cast<uint32_t>(channel), kVolumeController,
         static_cast<uint32_t>(std::lround(scaled)));
  }

  // Sends every channel's volume afresh when the music gain (volume keys, mute) has changed.
  void FollowGain() {
    const float gain = MusicGain();
    if (gain == gain_) return;
    gain_ = gain;
    for (int channel = 0; channel < kChannels; ++channel) SendVolume(channel);
  }

  HMIDIOUT out_ = nullptr;
  float gain_ = 1.0f;                     // what the devices' volumes were last sent for
  std::array<int, kChannels> volumes_{};  // each channel's volume as the song set it
};

// Made on first use and never destroyed: the device is closed at shut-down, while no thread
// renders any more.
MidiOutSynth* device = nullptr;

MidiOutSynth& Device() {
  if (device == nullptr) device = new MidiOutSynth();
  return *device;
}

}  // namespace

Synth& SystemSynth() {
  return Device();
}

void UseSoundfont(const char* path) {
  if (path != nullptr && path[0] != '\0') {
    std::fprintf(stderr,
                 "skypop: --soundfont %s is not used on Windows: the music plays on the "
                 "system's General-MIDI synthesizer\n",
                 Printable(path).c_str());
  }
}

bool WaitForSystemSynth() {
  return Device().Open();
}

void CloseSystemMidi() {
  if (device != nullptr) device->Close();
}

}  // namespace platform

#include "song_notes.h"

#include <array>
#include <optional>

namespace soundfont {

namespace {

// A program change: the preset asked for, else the same program in bank 0, else bank 0's
// program 0; on the drum bank, the drum bank's program 0. Nothing found leaves the channel mute.
std::optional<PresetId> Resolve(int bank, int program, const PresetExists& exists) {
  if (exists(bank, program)) return PresetId{bank, program};
  if (bank == kDrumBank) {
    if (exists(kDrumBank, 0)) return PresetId{kDrumBank, 0};
    return std::nullopt;
  }
  if (exists(0, program)) return PresetId{0, program};
  if (exists(0, 0)) return PresetId{0, 0};
  return std::nullopt;
}

struct Channel {
  bool drum = false;
  int bank = 0;  // the bank the next program change looks in
  std::optional<PresetId> preset;
};

}  // namespace

SongUse UseOf(const std::vector<songs::StreamEvent>& events, const PresetExists& exists) {
  SongUse use;
  const auto select = [&](Channel& channel, int bank, int program) {
    channel.preset = Resolve(bank, program, exists);
    if (channel.preset) use.presets.insert(*channel.preset);
  };
  // Loading a soundfont gives every channel program 0 again, through the same fallbacks.
  std::array<Channel, 16> channels;
  for (size_t ch = 0; ch < channels.size(); ++ch) {
    channels[ch].drum = ch == kDrumChannel;
    select(channels[ch], channels[ch].drum ? kDrumBank : 0, 0);
  }
  for (const songs::StreamEvent& event : events) {
    if ((event.word >> 24) != 0) continue;  // tempo and other non-MIDI events
    const int status = event.word & 0xF0;
    const int data1 = (event.word >> 8) & 0x7F;
    const int data2 = (event.word >> 16) & 0x7F;
    Channel& channel = channels[event.word & 0x0F];
    switch (status) {
      case 0x90:  // velocity 0 is a note-off
        if (data2 > 0 && channel.preset)
          use.notes.insert({channel.preset->first, channel.preset->second, data1, data2});
        break;
      case 0xB0:
        // Bank select MSB sets the whole bank on melodic channels; the drum channel ignores it,
        // and so does every channel the LSB (controller 32).
        if (data1 == 0 && !channel.drum) channel.bank = data2;
        break;
      case 0xC0:
        select(channel, channel.drum ? kDrumBank : channel.bank, data1);
        break;
      default:
        break;
    }
  }
  return use;
}

}  // namespace soundfont

#include "machine/synth_setup.h"

#include <cstddef>

namespace platform {

ChannelMemory::ChannelMemory() {
  for (Channel& channel : channels_) channel.controllers.fill(-1);
}

void ChannelMemory::Note(uint32_t message) {
  const uint32_t status = message & 0xF0u;
  Channel& channel = channels_[message & 0x0Fu];
  const int data1 = static_cast<int>((message >> 8) & 0x7Fu);
  const int data2 = static_cast<int>((message >> 16) & 0x7Fu);
  if (status == 0xB0 && data1 < kControllers) {
    channel.controllers[static_cast<size_t>(data1)] = static_cast<int8_t>(data2);
  }
  if (status == 0xC0) channel.program = data1;
  if (status == 0xE0) channel.pitchBend = data1 | (data2 << 7);
}

void ChannelMemory::LiftPedals() {
  for (Channel& channel : channels_) channel.controllers[64] = 0;
}

void ChannelMemory::Replay(Synth& synth) const {
  for (uint32_t number = 0; number < kChannels; ++number) {
    const Channel& channel = channels_[number];
    for (uint32_t control = 0; control < kControllers; ++control) {
      const int value = channel.controllers[control];
      if (value >= 0)
        synth.ShortMessage(0xB0u | number | control << 8 | static_cast<uint32_t>(value) << 16);
    }
    if (channel.program >= 0)
      synth.ShortMessage(0xC0u | number | static_cast<uint32_t>(channel.program) << 8);
    if (channel.pitchBend >= 0) {
      const auto bend = static_cast<uint32_t>(channel.pitchBend);
      synth.ShortMessage(0xE0u | number | (bend & 0x7Fu) << 8 | (bend >> 7) << 16);
    }
  }
}

}  // namespace platform

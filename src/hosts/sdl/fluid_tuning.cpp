#include "hosts/sdl/fluid_tuning.h"

#include "machine/synth_setup.h"

namespace platform {

fluid_settings_t* NewGameFluidSettings(double rate) {
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return nullptr;
  const SynthTuning& tuning = kSynthTuning;
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setnum(settings, "synth.gain", tuning.gain);
  fluid_settings_setint(settings, "synth.polyphony", tuning.polyphony);
  fluid_settings_setnum(settings, "synth.reverb.room-size", tuning.reverbRoomSize);
  fluid_settings_setnum(settings, "synth.reverb.damp", tuning.reverbDamping);
  fluid_settings_setnum(settings, "synth.reverb.width", tuning.reverbWidth);
  fluid_settings_setnum(settings, "synth.reverb.level", tuning.reverbLevel);
  fluid_settings_setint(settings, "synth.chorus.nr", tuning.chorusVoices);
  fluid_settings_setnum(settings, "synth.chorus.level", tuning.chorusLevel);
  fluid_settings_setnum(settings, "synth.chorus.speed", tuning.chorusSpeed);
  fluid_settings_setnum(settings, "synth.chorus.depth", tuning.chorusDepth);
  return settings;
}

void PlayShortMessage(fluid_synth_t* synth, uint32_t message) {
  const int status = static_cast<int>(message & 0xF0u);
  const int channel = static_cast<int>(message & 0x0Fu);
  const int data1 = static_cast<int>((message >> 8) & 0x7Fu);
  const int data2 = static_cast<int>((message >> 16) & 0x7Fu);
  switch (status) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, data1);
      break;
    case 0x90:
      fluid_synth_noteon(synth, channel, data1, data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
      break;
    default:
      break;  // no running status, no system messages
  }
}

void ReleaseAllNotes(fluid_synth_t* synth) {
  for (int channel = 0; channel < 16; ++channel) {
    fluid_synth_cc(synth, channel, 64, 0);  // a held pedal would keep the notes sounding
    fluid_synth_all_notes_off(synth, channel);
  }
}

}  // namespace platform

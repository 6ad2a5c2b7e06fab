// Renders the effects through the game's own bank and mixer, as a player would hear them, into
// a 16-bit stereo wave file for listening and for sox: preview_effects OUT.wav [--music]
// The scene: a single pop, a run of pops one tick apart (each restarting the last), pops every
// few ticks, two whistles, and a pop over a whistle; with --music, over the wave's song.
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/synth.h"
#include "machine/audio.h"
#include "sound/music_player.h"
#include "sound/sound_bank.h"

namespace {

constexpr int kTickFrames = 735;  // one 60 Hz tick at 44.1 kHz

struct Cue {
  int tick;
  int effect;
};

void Put(FILE* f, unsigned v, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>(v >> (8 * i) & 0xFF), f);
}

}  // namespace

int main(int argc, char** argv) {
  const bool withMusic = argc == 3 && std::strcmp(argv[2], "--music") == 0;
  if (argc != 2 && !withMusic) {
    std::fprintf(stderr, "usage: %s OUT.wav [--music]\n", argv[0]);
    return 2;
  }
  std::vector<Cue> cues = {{0, 0}};
  for (int i = 0; i < 8; ++i) cues.push_back({30 + i, 0});      // one tick apart
  for (int i = 0; i < 8; ++i) cues.push_back({60 + 5 * i, 0});  // five ticks apart
  cues.push_back({120, 1});
  cues.push_back({150, 1});
  cues.push_back({152, 0});
  const int ticks = 200;

  platform::OpenAudioDeviceWithoutOutput();
  static const char* const kNames[] = {"BANN", "HYUU"};
  OpenSoundBank(nullptr, kNames, 2);
  if (soundBank.audioDevice == nullptr) {
    std::fprintf(stderr, "preview_effects: the effects did not load\n");
    return 1;
  }
  static const char* const kSongs[] = {"BOSA", "PARIS"};
  if (withMusic &&
      !(OpenMusic(nullptr, kSongs, 2) && platform::WaitForSystemSynth() && PlaySong(0))) {
    std::fprintf(stderr, "preview_effects: the music did not start\n");
    return 1;
  }
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  const unsigned dataBytes = static_cast<unsigned>(ticks) * kTickFrames * 4;
  std::fputs("RIFF", out);
  Put(out, 36 + dataBytes, 4);
  std::fputs("WAVEfmt ", out);
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, 2, 2);
  Put(out, 44100, 4);
  Put(out, 44100 * 4, 4);
  Put(out, 4, 2);
  Put(out, 16, 2);
  std::fputs("data", out);
  Put(out, dataBytes, 4);
  std::vector<float> block(2 * kTickFrames);
  for (int tick = 0; tick < ticks; ++tick) {
    for (const Cue& cue : cues) {
      if (cue.tick == tick) PlayEffect(cue.effect);
    }
    platform::RenderAudio(block.data(), kTickFrames);
    for (float v : block) {
      Put(out, static_cast<unsigned>(static_cast<int>(v * 32767.0f)) & 0xFFFF, 2);
    }
  }
  std::fclose(out);
  if (withMusic) CloseMusic();
  CloseSoundBank();
  platform::CloseAudioDevice();
  return 0;
}

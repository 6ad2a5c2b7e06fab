// A listening tool for the songs (not part of the game): plays a MIDS form through FluidSynth
// with a General-MIDI soundfont into a 16-bit stereo WAV, several passes back to back the way
// the game restarts a song that has ended, so the levels and the loop point can be checked.
//
// Usage: render_song IN.mids OUT.wav [--passes N] [--gap-ms MS] [--only CH,CH]
//                    [--gain G] [--soundfont PATH] [--tail S] [--probe SECONDS]...

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "song_stream.h"

namespace {

constexpr int kRate = 44100;

struct Options {
  std::string in;
  std::string out;
  int passes = 1;
  double gapMs = 0;
  std::set<int> only;
  std::vector<double> probes;  // more moments to compare the restarts with
  double gain = 0.7;           // the game's own synthesizer gain, so the levels read as in the game
  double tail = 2.0;
  std::string soundfont = "/usr/share/sounds/sf2/default-GM.sf2";
};

bool ReadOptions(int argc, char** argv, Options& o) {
  std::vector<std::string> plain;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--passes" && hasValue)
      o.passes = std::atoi(argv[++i]);
    else if (arg == "--gap-ms" && hasValue)
      o.gapMs = std::atof(argv[++i]);
    else if (arg == "--gain" && hasValue)
      o.gain = std::atof(argv[++i]);
    else if (arg == "--tail" && hasValue)
      o.tail = std::atof(argv[++i]);
    else if (arg == "--soundfont" && hasValue)
      o.soundfont = argv[++i];
    else if (arg == "--probe" && hasValue)
      o.probes.push_back(std::atof(argv[++i]));
    else if (arg == "--only" && hasValue) {
      std::string list = std::string(argv[++i]) + ",";
      for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1)
        o.only.insert(std::atoi(list.substr(at, comma - at).c_str()));
    } else if (arg.rfind("--", 0) == 0)
      return false;
    else
      plain.push_back(arg);
  }
  if (plain.size() != 2 || o.passes < 1) return false;
  o.in = plain[0];
  o.out = plain[1];
  return true;
}

class Renderer {
 public:
  Renderer(fluid_synth_t* synth) : synth_(synth) {}

  void RenderTo(double seconds) {
    long long target = std::llround(seconds * kRate);
    std::vector<float> left(1024), right(1024);
    while (frames_ < target) {
      int n = static_cast<int>(std::min<long long>(1024, target - frames_));
      fluid_synth_write_float(synth_, n, left.data(), 0, 1, right.data(), 0, 1);
      for (int i = 0; i < n; ++i) {
        samples_.push_back(left[i]);
        samples_.push_back(right[i]);
      }
      frames_ += n;
    }
  }

  void Play(uint32_t word, const std::set<int>& only) {
    int status = word & 0xFF, data1 = (word >> 8) & 0x7F, data2 = (word >> 16) & 0x7F;
    int ch = status & 0x0F;
    bool muted = !only.empty() && only.count(ch) == 0;
    switch (status & 0xF0) {
      case 0x90:
        if (!muted) fluid_synth_noteon(synth_, ch, data1, data2);
        break;
      case 0x80:
        fluid_synth_noteoff(synth_, ch, data1);
        break;
      case 0xB0:
        fluid_synth_cc(synth_, ch, data1, data2);
        break;
      case 0xC0:
        fluid_synth_program_change(synth_, ch, data1);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(synth_, ch, data1 | data2 << 7);
        break;
      default:
        break;
    }
  }

  const std::vector<float>& Samples() const { return samples_; }

 private:
  fluid_synth_t* synth_;
  long long frames_ = 0;
  std::vector<float> samples_;
};

bool WriteWav(const std::string& path, const std::vector<float>& samples, int& clipped) {
  std::vector<int16_t> pcm(samples.size());
  clipped = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    float s = samples[i];
    if (std::fabs(s) > 1.0f) ++clipped;
    pcm[i] = static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
  }
  auto put32 = [](std::ofstream& f, uint32_t v) { f.write(reinterpret_cast<char*>(&v), 4); };
  auto put16 = [](std::ofstream& f, uint16_t v) { f.write(reinterpret_cast<char*>(&v), 2); };
  std::ofstream f(path, std::ios::binary);
  uint32_t bytes = static_cast<uint32_t>(pcm.size() * 2);
  f.write("RIFF", 4);
  put32(f, 36 + bytes);
  f.write("WAVEfmt ", 8);
  put32(f, 16);
  put16(f, 1);
  put16(f, 2);
  put32(f, kRate);
  put32(f, kRate * 4);
  put16(f, 4);
  put16(f, 16);
  f.write("data", 4);
  put32(f, bytes);
  f.write(reinterpret_cast<const char*>(pcm.data()), bytes);
  return static_cast<bool>(f);
}

// Loudness in 50 ms windows either side of each restart: a gap or a jump shows up here.
void ReportLoudness(const char* what, const std::vector<double>& restarts,
                    const std::vector<float>& samples) {
  const int window = kRate / 20;
  auto rms = [&](long long from) {
    double sum = 0;
    long long count = 0;
    for (long long f = std::max(0LL, from); f < from + window; ++f) {
      if (2 * f + 1 >= static_cast<long long>(samples.size())) break;
      double l = samples[2 * f], r = samples[2 * f + 1];
      sum += l * l + r * r;
      count += 2;
    }
    return count ? 20 * std::log10(std::sqrt(sum / count) + 1e-9) : -180.0;
  };
  for (double at : restarts) {
    long long frame = std::llround(at * kRate);
    std::printf("%s at %.3f s, RMS dB per 50 ms:", what, at);
    for (int w = -6; w < 6; ++w)
      std::printf(" %s%.1f", w == 0 ? "| " : "", rms(frame + w * window));
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ReadOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: render_song IN.mids OUT.wav [--passes N] [--gap-ms MS] [--only CH,CH]"
                 " [--gain G] [--soundfont PATH] [--tail S] [--probe SECONDS]...\n");
    return 2;
  }
  std::ifstream in(o.in, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  int division = 96;
  std::vector<songs::StreamEvent> events;
  std::string error;
  if (!songs::ReadMids(bytes, division, events, error)) {
    std::fprintf(stderr, "%s: %s\n", o.in.c_str(), error.c_str());
    return 1;
  }
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setnum(settings, "synth.gain", o.gain);
  fluid_settings_setint(settings, "synth.polyphony", 256);
  // The same small room and light chorus the game's synthesizer uses.
  fluid_settings_setnum(settings, "synth.reverb.room-size", 0.4);
  fluid_settings_setnum(settings, "synth.reverb.damp", 0.4);
  fluid_settings_setnum(settings, "synth.reverb.width", 0.7);
  fluid_settings_setnum(settings, "synth.reverb.level", 0.35);
  fluid_settings_setint(settings, "synth.chorus.nr", 3);
  fluid_settings_setnum(settings, "synth.chorus.level", 0.6);
  fluid_settings_setnum(settings, "synth.chorus.speed", 0.3);
  fluid_settings_setnum(settings, "synth.chorus.depth", 4.0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (fluid_synth_sfload(synth, o.soundfont.c_str(), 1) == FLUID_FAILED) {
    std::fprintf(stderr, "cannot load soundfont %s\n", o.soundfont.c_str());
    return 1;
  }
  Renderer renderer(synth);
  double passStart = 0;
  std::vector<double> restarts;
  for (int pass = 0; pass < o.passes; ++pass) {
    double usPerQuarter = 500000;
    uint32_t lastTick = 0;
    double seconds = passStart;
    for (const songs::StreamEvent& e : events) {
      seconds += (e.tick - lastTick) * usPerQuarter / division / 1e6;
      lastTick = e.tick;
      renderer.RenderTo(seconds);
      if ((e.word >> 24) == 1)
        usPerQuarter = e.word & 0xFFFFFF;
      else
        renderer.Play(e.word, o.only);
    }
    // The game stops the stream when the last block is done, silencing whatever still sounds.
    fluid_synth_all_notes_off(synth, -1);
    passStart = seconds + o.gapMs / 1000.0;
    if (pass + 1 < o.passes) restarts.push_back(passStart);
    std::printf("pass %d ends at %.3f s\n", pass + 1, seconds);
  }
  renderer.RenderTo(passStart + o.tail);
  int clipped = 0;
  if (!WriteWav(o.out, renderer.Samples(), clipped)) {
    std::fprintf(stderr, "cannot write %s\n", o.out.c_str());
    return 1;
  }
  std::printf("%zu frames, %d clipped samples\n", renderer.Samples().size() / 2, clipped);
  ReportLoudness("restart", restarts, renderer.Samples());
  ReportLoudness("probe", o.probes, renderer.Samples());
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return 0;
}

// Writes the game's own soundfont: the General-MIDI soundfont cut down to the presets, zones and
// samples the songs sound, so the music plays exactly as it does with the whole font.
//
// Usage: make_soundfont SOURCE.sf2 OUT.sf2 SONG.mids... [--drop-sample NAME|NUMBER]
// (--drop-sample leaves one sample out on purpose; only the tests use it.)

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sf2_file.h"
#include "song_notes.h"
#include "song_stream.h"
#include "subset.h"

namespace {

using soundfont::Bytes;

bool ReadFile(const std::string& path, Bytes& bytes) {
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return static_cast<bool>(in) || in.eof();
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// An INFO item of the source font, or `fallback` when it has none.
Bytes SourceItem(const soundfont::SoundFont& font, const std::string& tag, const Bytes& fallback) {
  for (const soundfont::InfoItem& item : font.info)
    if (item.tag == tag) return item.data;
  return fallback;
}

// Where the cut came from, in the file itself.
std::vector<soundfont::InfoItem> Provenance(const soundfont::SoundFont& full,
                                            const soundfont::CutReport& report) {
  std::string presets;
  for (const soundfont::Kept& preset : report.presets)
    presets += (presets.empty() ? "" : ", ") + preset.name;
  Bytes tool = SourceItem(full, "ISFT", {});
  std::string sourceTool(tool.begin(), std::find(tool.begin(), tool.end(), 0));
  return {
      {"ifil", SourceItem(full, "ifil", {2, 0, 1, 0})},
      {"isng", SourceItem(full, "isng", soundfont::InfoText("isng", "EMU8000").data)},
      soundfont::InfoText("INAM", "SKYPOP FRENZY music"),
      soundfont::InfoText("IENG", "Tim Brechbill"),
      soundfont::InfoText("ICOP",
                          "Copyright 2004 Tim Brechbill, 2010 David Bolton. GPL-2: see "
                          "skypop.sf2.LICENSE.txt"),
      soundfont::InfoText("ICMT",
                          "TimGM6mb by Tim Brechbill (Debian's timgm6mb-soundfont), cut by "
                          "SKYPOP FRENZY's tools/soundfont to the presets its songs play and the "
                          "zones and samples their notes reach: " +
                              presets),
      soundfont::InfoText(
          "ISFT", sourceTool + (sourceTool.empty() ? "" : ":") + "SKYPOP FRENZY make_soundfont"),
  };
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> plain;
  soundfont::CutOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--drop-sample" && i + 1 < argc)
      options.dropSample = argv[++i];
    else
      plain.push_back(arg);
  }
  if (plain.size() < 3) {
    std::fprintf(stderr,
                 "usage: make_soundfont SOURCE.sf2 OUT.sf2 SONG.mids... "
                 "[--drop-sample NAME|NUMBER]\n");
    return 2;
  }
  Bytes bytes;
  soundfont::SoundFont full;
  std::string error;
  if (!ReadFile(plain[0], bytes) || !soundfont::ReadSoundFont(bytes, full, error)) {
    std::fprintf(stderr, "make_soundfont: %s: %s\n", plain[0].c_str(),
                 error.empty() ? "cannot read" : error.c_str());
    return 1;
  }
  const auto exists = [&](int bank, int program) {
    return soundfont::HasPreset(full, bank, program);
  };
  soundfont::SongUse use;
  for (size_t i = 2; i < plain.size(); ++i) {
    Bytes mids;
    int division = 0;
    std::vector<songs::StreamEvent> events;
    if (!ReadFile(plain[i], mids) || !songs::ReadMids(mids, division, events, error)) {
      std::fprintf(stderr, "make_soundfont: %s: %s\n", plain[i].c_str(),
                   error.empty() ? "cannot read" : error.c_str());
      return 1;
    }
    use.Merge(soundfont::UseOf(events, exists));
  }
  soundfont::SoundFont cut;
  soundfont::CutReport report;
  if (!soundfont::CutSoundFont(full, use, options, cut, report, error)) {
    std::fprintf(stderr, "make_soundfont: %s\n", error.c_str());
    return 1;
  }
  cut.info = Provenance(full, report);
  const Bytes out = soundfont::WriteSoundFont(cut);
  if (!WriteFile(plain[1], out)) {
    std::fprintf(stderr, "make_soundfont: cannot write %s\n", plain[1].c_str());
    return 1;
  }
  std::printf(
      "%zu distinct notes; kept %zu of %zu presets, %zu of %zu instruments, %zu of %zu "
      "samples; %zu bytes\n",
      use.notes.size(), cut.presets.size(), full.presets.size(), cut.instruments.size(),
      full.instruments.size(), cut.samples.size(), full.samples.size(), out.size());
  for (const auto& [what, names] : {std::pair{"preset", &report.presets},
                                    {"instrument", &report.instruments},
                                    {"sample", &report.samples}})
    for (const soundfont::Kept& kept : *names)
      std::printf("  %s %s (%s)\n", what, kept.name.c_str(), kept.detail.c_str());
  return 0;
}

#include "subset.h"

#include <algorithm>
#include <map>
#include <utility>

namespace soundfont {

namespace {

// The instrument (of a preset zone) or sample (of an instrument zone) a zone plays: its first
// such generator, the last one synthesizers read; -1 for a zone that names none.
int ZoneTarget(const Zone& zone, uint16_t oper) {
  for (const Generator& gen : zone.generators)
    if (gen.oper == oper) return gen.amount;
  return -1;
}

// The first zone is the global one when it names nothing. A later zone that names nothing is
// thrown away by synthesizers, and by the cut.
bool IsGlobal(const std::vector<Zone>& zones, size_t zone, uint16_t oper) {
  return zone == 0 && ZoneTarget(zones[0], oper) < 0;
}

// A kept zone with its instrument or sample renumbered; generators after that one are ignored by
// synthesizers and left out.
Zone Renumbered(const Zone& zone, uint16_t oper, const std::map<int, int>& numbers) {
  Zone out;
  out.modulators = zone.modulators;
  for (Generator gen : zone.generators) {
    if (gen.oper == oper) {
      gen.amount = static_cast<uint16_t>(numbers.at(gen.amount));
      out.generators.push_back(gen);
      break;
    }
    out.generators.push_back(gen);
  }
  return out;
}

// The sample `wanted` names: a number in the full font, or a sample's name.
int FindSample(const SoundFont& font, const std::string& wanted) {
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(),
                                     [](unsigned char c) { return c >= '0' && c <= '9'; })) {
    const size_t index = std::stoul(wanted);
    return index < font.samples.size() ? static_cast<int>(index) : -1;
  }
  for (size_t i = 0; i < font.samples.size(); ++i)
    if (NameText(font.samples[i].name) == wanted) return static_cast<int>(i);
  return -1;
}

using ZoneId = std::pair<size_t, size_t>;  // preset or instrument, zone

struct Reached {
  std::set<size_t> presets;
  std::set<ZoneId> presetZones;
  std::set<ZoneId> instrumentZones;
  std::set<int> samples;
};

// Every zone a note starts a voice from, the way FluidSynth walks a preset on a note-on.
void Reach(const SoundFont& font, const SoundedNote& note, Reached& reached) {
  for (size_t p = 0; p < font.presets.size(); ++p) {
    const Preset& preset = font.presets[p];
    if (preset.bank != note.bank || preset.program != note.program) continue;
    reached.presets.insert(p);
    for (size_t z = 0; z < preset.zones.size(); ++z) {
      const int inst = ZoneTarget(preset.zones[z], kGenInstrument);
      if (inst < 0 || !ZoneTakes(preset.zones[z], note.key, note.velocity)) continue;
      const std::vector<Zone>& zones = font.instruments[static_cast<size_t>(inst)].zones;
      for (size_t iz = 0; iz < zones.size(); ++iz) {
        const int sample = ZoneTarget(zones[iz], kGenSampleId);
        if (sample < 0 || !ZoneTakes(zones[iz], note.key, note.velocity)) continue;
        reached.presetZones.insert({p, z});
        reached.instrumentZones.insert({static_cast<size_t>(inst), iz});
        reached.samples.insert(sample);
      }
    }
  }
}

// Takes a sample out with every instrument zone that plays it.
bool Drop(const SoundFont& font, const std::string& wanted, Reached& reached, std::string& error) {
  const int sample = FindSample(font, wanted);
  if (reached.samples.erase(sample) == 0) {
    error = "sample '" + wanted + "' is not one the songs play";
    return false;
  }
  std::erase_if(reached.instrumentZones, [&](const ZoneId& id) {
    return ZoneTarget(font.instruments[id.first].zones[id.second], kGenSampleId) == sample;
  });
  return true;
}

// A kept sample's stereo or linked partner is kept too, so its link stays true.
void AddPartners(const SoundFont& font, std::set<int>& samples, int dropped) {
  std::vector<int> work(samples.begin(), samples.end());
  while (!work.empty()) {
    const Sample& s = font.samples[static_cast<size_t>(work.back())];
    work.pop_back();
    const int partner = s.link;
    if ((s.type & kSampleLinkBits) && partner != dropped &&
        static_cast<size_t>(partner) < font.samples.size() && samples.insert(partner).second)
      work.push_back(partner);
  }
}

std::string Share(const std::vector<Zone>& kept, const std::vector<Zone>& all) {
  return std::to_string(kept.size()) + " of " + std::to_string(all.size()) + " zones";
}

}  // namespace

bool ZoneTakes(const Zone& zone, int key, int velocity) {
  int keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
  const std::vector<Generator>& gens = zone.generators;
  size_t at = 0;
  if (at < gens.size() && gens[at].oper == kGenKeyRange) {
    keyLow = gens[at].amount & 0xFF;
    keyHigh = gens[at].amount >> 8;
    ++at;
  }
  if (at < gens.size() && gens[at].oper == kGenVelRange) {
    velocityLow = gens[at].amount & 0xFF;
    velocityHigh = gens[at].amount >> 8;
  }
  return keyLow <= key && key <= keyHigh && velocityLow <= velocity && velocity <= velocityHigh;
}

bool HasPreset(const SoundFont& font, int bank, int program) {
  return std::any_of(font.presets.begin(), font.presets.end(),
                     [&](const Preset& p) { return p.bank == bank && p.program == program; });
}

bool CutSoundFont(const SoundFont& full, const SongUse& use, const CutOptions& options,
                  SoundFont& cut, CutReport& report, std::string& error) {
  Reached reached;
  for (size_t p = 0; p < full.presets.size(); ++p)
    if (use.presets.count({full.presets[p].bank, full.presets[p].program}))
      reached.presets.insert(p);
  for (const SoundedNote& note : use.notes) Reach(full, note, reached);
  int dropped = -1;
  if (!options.dropSample.empty()) {
    if (!Drop(full, options.dropSample, reached, error)) return false;
    dropped = FindSample(full, options.dropSample);
  }
  AddPartners(full, reached.samples, dropped);

  cut = SoundFont{};
  cut.has24Bit = full.has24Bit;
  report = CutReport{};
  std::map<int, int> sampleNumbers;
  for (int s : reached.samples) {
    sampleNumbers[s] = static_cast<int>(cut.samples.size());
    cut.samples.push_back(full.samples[static_cast<size_t>(s)]);
    const Sample& kept = cut.samples.back();
    report.samples.push_back({NameText(kept.name), std::to_string(kept.points.size()) + " points"});
  }
  for (Sample& s : cut.samples) {
    if (!(s.type & kSampleLinkBits)) continue;
    const auto partner = sampleNumbers.find(s.link);
    if (partner != sampleNumbers.end()) {
      s.link = static_cast<uint16_t>(partner->second);
    } else {  // its partner was dropped on purpose: it plays on alone
      s.link = 0;
      s.type = kSampleMono;
    }
  }

  std::map<int, int> instrumentNumbers;
  for (const ZoneId& id : reached.presetZones)
    instrumentNumbers[ZoneTarget(full.presets[id.first].zones[id.second], kGenInstrument)] = 0;
  for (auto& [inst, number] : instrumentNumbers) {
    number = static_cast<int>(cut.instruments.size());
    const Instrument& source = full.instruments[static_cast<size_t>(inst)];
    Instrument kept{source.name, {}};
    for (size_t iz = 0; iz < source.zones.size(); ++iz) {
      if (IsGlobal(source.zones, iz, kGenSampleId))
        kept.zones.push_back(source.zones[iz]);
      else if (reached.instrumentZones.count({static_cast<size_t>(inst), iz}))
        kept.zones.push_back(Renumbered(source.zones[iz], kGenSampleId, sampleNumbers));
    }
    cut.instruments.push_back(std::move(kept));
    report.instruments.push_back(
        {NameText(source.name), Share(cut.instruments.back().zones, source.zones)});
  }

  // Every preset a channel selects stays, even one that sounds nothing: were it missing, a
  // program change would fall back to another preset, or find none.
  for (size_t p : reached.presets) {
    const Preset& source = full.presets[p];
    Preset kept = source;
    kept.zones.clear();
    for (size_t z = 0; z < source.zones.size(); ++z) {
      if (IsGlobal(source.zones, z, kGenInstrument))
        kept.zones.push_back(source.zones[z]);
      else if (reached.presetZones.count({p, z}))
        kept.zones.push_back(Renumbered(source.zones[z], kGenInstrument, instrumentNumbers));
    }
    cut.presets.push_back(std::move(kept));
    report.presets.push_back({std::to_string(source.bank) + ":" + std::to_string(source.program) +
                                  " " + NameText(source.name),
                              Share(cut.presets.back().zones, source.zones)});
  }
  return true;
}

}  // namespace soundfont

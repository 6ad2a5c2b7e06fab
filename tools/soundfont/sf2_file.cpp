#include "sf2_file.h"

#include <algorithm>
#include <cstring>

namespace soundfont {

namespace {

// ---- reading ----

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Chunk {
  std::string tag;
  size_t offset = 0;  // of the chunk's data
  size_t size = 0;
};

// The chunks laid one after another in [begin, end), each padded to an even length.
bool ListChunks(const Bytes& b, size_t begin, size_t end, std::vector<Chunk>& out,
                std::string& error) {
  while (end - begin >= 8) {
    Chunk chunk{std::string(b.begin() + begin, b.begin() + begin + 4), begin + 8,
                U32(&b[begin + 4])};
    if (chunk.size > end - chunk.offset) {
      error = "chunk '" + chunk.tag + "' runs past its container";
      return false;
    }
    out.push_back(chunk);
    begin = chunk.offset + chunk.size;
    if (chunk.size % 2 == 1 && begin < end) ++begin;
  }
  return true;
}

const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& tag) {
  for (const Chunk& chunk : chunks)
    if (chunk.tag == tag) return &chunk;
  return nullptr;
}

// The subchunks of the LIST chunk of the given type.
bool ReadList(const Bytes& b, const std::vector<Chunk>& top, const std::string& type,
              std::vector<Chunk>& out, std::string& error) {
  for (const Chunk& chunk : top) {
    if (chunk.tag != "LIST" || chunk.size < 4) continue;
    if (std::string(b.begin() + chunk.offset, b.begin() + chunk.offset + 4) != type) continue;
    return ListChunks(b, chunk.offset + 4, chunk.offset + chunk.size, out, error);
  }
  error = "no LIST " + type + " chunk";
  return false;
}

// A table of fixed-size records that ends with a terminal record.
struct Table {
  const uint8_t* data = nullptr;
  size_t count = 0;  // with the terminal record
  const uint8_t* operator[](size_t i) const { return data + i * recordSize; }
  size_t recordSize = 0;
};

bool ReadTable(const Bytes& b, const std::vector<Chunk>& pdta, const std::string& tag,
               size_t recordSize, Table& table, std::string& error) {
  const Chunk* chunk = Find(pdta, tag);
  if (chunk == nullptr || chunk->size % recordSize != 0 || chunk->size == 0) {
    error = "missing or misshapen '" + tag + "' chunk";
    return false;
  }
  table = {b.data() + chunk->offset, chunk->size / recordSize, recordSize};
  return true;
}

Name ReadName(const uint8_t* p) {
  Name name{};
  std::memcpy(name.data(), p, name.size());
  return name;
}

// Zones [first, last) of a preset or instrument: each bag's generators and modulators run up to
// the next bag's (the terminal bag closes the last).
bool ReadZones(size_t first, size_t last, const Table& bags, const Table& gens, const Table& mods,
               std::vector<Zone>& zones, std::string& error) {
  if (first > last || last >= bags.count) {
    error = "zone indices out of order";
    return false;
  }
  for (size_t bag = first; bag < last; ++bag) {
    const size_t g0 = U16(bags[bag]), g1 = U16(bags[bag + 1]);
    const size_t m0 = U16(bags[bag] + 2), m1 = U16(bags[bag + 1] + 2);
    if (g0 > g1 || g1 >= gens.count || m0 > m1 || m1 >= mods.count) {
      error = "generator or modulator indices out of order";
      return false;
    }
    Zone zone;
    for (size_t g = g0; g < g1; ++g) zone.generators.push_back({U16(gens[g]), U16(gens[g] + 2)});
    for (size_t m = m0; m < m1; ++m) {
      const uint8_t* p = mods[m];
      zone.modulators.push_back(
          {U16(p), U16(p + 2), static_cast<int16_t>(U16(p + 4)), U16(p + 6), U16(p + 8)});
    }
    zones.push_back(std::move(zone));
  }
  return true;
}

// Every instrument and sample a zone names must exist.
bool ZonesPointInside(const std::vector<Zone>& zones, uint16_t oper, size_t count) {
  for (const Zone& zone : zones)
    for (const Generator& gen : zone.generators)
      if (gen.oper == oper && gen.amount >= count) return false;
  return true;
}

bool ReadSamples(const Bytes& b, const std::vector<Chunk>& sdta, const Table& headers,
                 SoundFont& font, std::string& error) {
  const Chunk* smpl = Find(sdta, "smpl");
  if (smpl == nullptr) {
    error = "no sample data";
    return false;
  }
  const size_t points = smpl->size / 2;
  // Low bytes of the wrong length are ignored, as synthesizers ignore them.
  const Chunk* sm24 = Find(sdta, "sm24");
  font.has24Bit = sm24 != nullptr && (sm24->size == points || sm24->size == points + points % 2);
  for (size_t i = 0; i + 1 < headers.count; ++i) {
    const uint8_t* p = headers[i];
    Sample s;
    s.name = ReadName(p);
    const uint32_t start = U32(p + 20), end = U32(p + 24);
    s.loopStart = static_cast<int64_t>(U32(p + 28)) - start;
    s.loopEnd = static_cast<int64_t>(U32(p + 32)) - start;
    s.rate = U32(p + 36);
    s.rootKey = p[40];
    s.pitchCorrection = static_cast<int8_t>(p[41]);
    s.link = U16(p + 42);
    s.type = U16(p + 44);
    if (s.type & kSampleRom) {
      error = "sample " + NameText(s.name) + " lives in a synthesizer's ROM";
      return false;
    }
    if (start > end || end > points) {
      error = "sample " + NameText(s.name) + " lies outside the sample data";
      return false;
    }
    const uint8_t* data = b.data() + smpl->offset;
    for (size_t at = start; at < end; ++at)
      s.points.push_back(static_cast<int16_t>(U16(data + 2 * at)));
    if (font.has24Bit) {
      const uint8_t* low = b.data() + sm24->offset;
      s.low.assign(low + start, low + end);
    }
    font.samples.push_back(std::move(s));
  }
  return true;
}

// ---- writing ----

class Writer {
 public:
  void U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  void Tag(const char* tag) { Raw(tag, 4); }
  void Name(const std::string& text) {
    soundfont::Name name{};
    std::memcpy(name.data(), text.data(), std::min(text.size(), name.size()));
    Raw(name.data(), name.size());
  }
  // Starts a chunk; Close() fills in its size and pads it to an even length.
  size_t Open(const char* tag) {
    Tag(tag);
    U32(0);
    return bytes_.size();
  }
  void Close(size_t start) {
    const uint32_t size = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start - 4 + i] = static_cast<uint8_t>(size >> (8 * i));
    if (size % 2 == 1) bytes_.push_back(0);
  }
  Bytes& bytes() { return bytes_; }

 private:
  Bytes bytes_;
};

// The bag, generator and modulator tables of a list of presets or instruments, in file order.
struct ZoneTables {
  Writer bags, gens, mods;
  size_t bagCount = 0, genCount = 0, modCount = 0;

  void Add(const std::vector<Zone>& zones) {
    for (const Zone& zone : zones) {
      bags.U16(static_cast<uint16_t>(genCount));
      bags.U16(static_cast<uint16_t>(modCount));
      for (const Generator& g : zone.generators) {
        gens.U16(g.oper);
        gens.U16(g.amount);
      }
      for (const Modulator& m : zone.modulators) {
        mods.U16(m.source);
        mods.U16(m.destination);
        mods.U16(static_cast<uint16_t>(m.amount));
        mods.U16(m.amountSource);
        mods.U16(m.transform);
      }
      ++bagCount;
      genCount += zone.generators.size();
      modCount += zone.modulators.size();
    }
  }
  // The terminal records, then the three chunks under the given names.
  void Put(Writer& out, const char* bagTag, const char* modTag, const char* genTag) {
    bags.U16(static_cast<uint16_t>(genCount));
    bags.U16(static_cast<uint16_t>(modCount));
    for (int i = 0; i < 5; ++i) mods.U16(0);
    gens.U32(0);
    for (auto [tag, table] : {std::pair{bagTag, &bags}, {modTag, &mods}, {genTag, &gens}}) {
      const size_t chunk = out.Open(tag);
      out.Raw(table->bytes().data(), table->bytes().size());
      out.Close(chunk);
    }
  }
};

}  // namespace

InfoItem InfoText(const std::string& tag, const std::string& text) {
  InfoItem item{tag, Bytes(text.begin(), text.end())};
  item.data.push_back(0);
  if (item.data.size() % 2 == 1) item.data.push_back(0);
  return item;
}

std::string NameText(const Name& name) {
  return std::string(name.data(), strnlen(name.data(), name.size()));
}

bool ReadSoundFont(const Bytes& b, SoundFont& font, std::string& error) {
  font = SoundFont{};
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "sfbk", 4) != 0) {
    error = "not a RIFF sfbk file";
    return false;
  }
  const size_t end = std::min<size_t>(b.size(), 8 + static_cast<size_t>(U32(&b[4])));
  std::vector<Chunk> top, info, sdta, pdta;
  if (!ListChunks(b, 12, end, top, error) || !ReadList(b, top, "INFO", info, error) ||
      !ReadList(b, top, "sdta", sdta, error) || !ReadList(b, top, "pdta", pdta, error))
    return false;
  for (const Chunk& item : info)
    font.info.push_back(
        {item.tag, Bytes(b.begin() + item.offset, b.begin() + item.offset + item.size)});

  Table phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
  if (!ReadTable(b, pdta, "phdr", 38, phdr, error) || !ReadTable(b, pdta, "pbag", 4, pbag, error) ||
      !ReadTable(b, pdta, "pmod", 10, pmod, error) || !ReadTable(b, pdta, "pgen", 4, pgen, error) ||
      !ReadTable(b, pdta, "inst", 22, inst, error) || !ReadTable(b, pdta, "ibag", 4, ibag, error) ||
      !ReadTable(b, pdta, "imod", 10, imod, error) || !ReadTable(b, pdta, "igen", 4, igen, error) ||
      !ReadTable(b, pdta, "shdr", 46, shdr, error))
    return false;

  for (size_t i = 0; i + 1 < phdr.count; ++i) {
    const uint8_t* p = phdr[i];
    Preset preset;
    preset.name = ReadName(p);
    preset.program = U16(p + 20);
    preset.bank = U16(p + 22);
    preset.library = U32(p + 26);
    preset.genre = U32(p + 30);
    preset.morphology = U32(p + 34);
    if (!ReadZones(U16(p + 24), U16(phdr[i + 1] + 24), pbag, pgen, pmod, preset.zones, error))
      return false;
    font.presets.push_back(std::move(preset));
  }
  for (size_t i = 0; i + 1 < inst.count; ++i) {
    Instrument instrument;
    instrument.name = ReadName(inst[i]);
    if (!ReadZones(U16(inst[i] + 20), U16(inst[i + 1] + 20), ibag, igen, imod, instrument.zones,
                   error))
      return false;
    font.instruments.push_back(std::move(instrument));
  }
  if (!ReadSamples(b, sdta, shdr, font, error)) return false;

  for (const Preset& preset : font.presets) {
    if (!ZonesPointInside(preset.zones, kGenInstrument, font.instruments.size())) {
      error = "preset " + NameText(preset.name) + " names a missing instrument";
      return false;
    }
  }
  for (const Instrument& instrument : font.instruments) {
    if (!ZonesPointInside(instrument.zones, kGenSampleId, font.samples.size())) {
      error = "instrument " + NameText(instrument.name) + " names a missing sample";
      return false;
    }
  }
  return true;
}

Bytes WriteSoundFont(const SoundFont& font) {
  Writer out;
  const size_t riff = out.Open("RIFF");
  out.Tag("sfbk");

  const size_t info = out.Open("LIST");
  out.Tag("INFO");
  for (const InfoItem& item : font.info) {
    const size_t chunk = out.Open(item.tag.c_str());
    out.Raw(item.data.data(), item.data.size());
    out.Close(chunk);
  }
  out.Close(info);

  // Each sample's points, then its zero guard points; the headers point into this layout.
  Writer points, low, headers;
  size_t offset = 0;
  for (const Sample& s : font.samples) {
    for (int16_t point : s.points) points.U16(static_cast<uint16_t>(point));
    for (size_t i = 0; i < kSampleGuardPoints; ++i) points.U16(0);
    if (font.has24Bit) {
      low.Raw(s.low.data(), s.low.size());
      low.bytes().resize(low.bytes().size() + kSampleGuardPoints, 0);
    }
    headers.Raw(s.name.data(), s.name.size());
    headers.U32(static_cast<uint32_t>(offset));
    headers.U32(static_cast<uint32_t>(offset + s.points.size()));
    headers.U32(static_cast<uint32_t>(static_cast<int64_t>(offset) + s.loopStart));
    headers.U32(static_cast<uint32_t>(static_cast<int64_t>(offset) + s.loopEnd));
    headers.U32(s.rate);
    headers.Raw(&s.rootKey, 1);
    headers.Raw(&s.pitchCorrection, 1);
    headers.U16(s.link);
    headers.U16(s.type);
    offset += s.points.size() + kSampleGuardPoints;
  }
  headers.Name("EOS");
  headers.bytes().resize(headers.bytes().size() + 26, 0);

  const size_t sdta = out.Open("LIST");
  out.Tag("sdta");
  const size_t smpl = out.Open("smpl");
  out.Raw(points.bytes().data(), points.bytes().size());
  out.Close(smpl);
  if (font.has24Bit) {
    const size_t sm24 = out.Open("sm24");
    out.Raw(low.bytes().data(), low.bytes().size());
    out.Close(sm24);
  }
  out.Close(sdta);

  const size_t pdta = out.Open("LIST");
  out.Tag("pdta");
  Writer phdr;
  ZoneTables presetZones;
  for (const Preset& p : font.presets) {
    phdr.Raw(p.name.data(), p.name.size());
    phdr.U16(p.program);
    phdr.U16(p.bank);
    phdr.U16(static_cast<uint16_t>(presetZones.bagCount));
    phdr.U32(p.library);
    phdr.U32(p.genre);
    phdr.U32(p.morphology);
    presetZones.Add(p.zones);
  }
  phdr.Name("EOP");
  phdr.U16(0);
  phdr.U16(0);
  phdr.U16(static_cast<uint16_t>(presetZones.bagCount));
  phdr.bytes().resize(phdr.bytes().size() + 12, 0);
  const size_t phdrChunk = out.Open("phdr");
  out.Raw(phdr.bytes().data(), phdr.bytes().size());
  out.Close(phdrChunk);
  presetZones.Put(out, "pbag", "pmod", "pgen");

  Writer inst;
  ZoneTables instrumentZones;
  for (const Instrument& instrument : font.instruments) {
    inst.Raw(instrument.name.data(), instrument.name.size());
    inst.U16(static_cast<uint16_t>(instrumentZones.bagCount));
    instrumentZones.Add(instrument.zones);
  }
  inst.Name("EOI");
  inst.U16(static_cast<uint16_t>(instrumentZones.bagCount));
  const size_t instChunk = out.Open("inst");
  out.Raw(inst.bytes().data(), inst.bytes().size());
  out.Close(instChunk);
  instrumentZones.Put(out, "ibag", "imod", "igen");

  const size_t shdr = out.Open("shdr");
  out.Raw(headers.bytes().data(), headers.bytes().size());
  out.Close(shdr);
  out.Close(pdta);
  out.Close(riff);
  return std::move(out.bytes());
}

}  // namespace soundfont

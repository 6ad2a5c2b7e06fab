#include "art_sources.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sheet {
namespace {

bool ReadLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  return true;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool ParseRgb(const std::string& text, Rgb* out) {
  int r = 0, g = 0, b = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d", &r, &g, &b) != 3) return false;
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  *out = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  return true;
}

// Fills a ramp's entries by blending linearly between its listed steps.
bool ParseRamp(const std::vector<std::string>& w, ArtSources* out) {
  Ramp ramp;
  ramp.name = w[1];
  ramp.first = std::atoi(w[2].c_str());
  ramp.count = std::atoi(w[3].c_str());
  if (ramp.count < 2 || ramp.first < 0 || ramp.first + ramp.count > 256) return false;
  std::vector<std::pair<int, Rgb>> stops;
  for (size_t i = 4; i < w.size(); ++i) {
    const size_t colon = w[i].find(':');
    if (colon == std::string::npos) return false;
    Rgb c;
    if (!ParseRgb(w[i].substr(colon + 1), &c)) return false;
    stops.push_back({std::atoi(w[i].substr(0, colon).c_str()), c});
  }
  if (stops.empty() || stops.front().first != 0 || stops.back().first != ramp.count - 1) {
    return false;
  }
  for (size_t k = 0; k + 1 < stops.size(); ++k) {
    // Plain copies of the stop positions: clang 14 cannot capture structured bindings.
    const int a = stops[k].first;
    const int b = stops[k + 1].first;
    const auto& ca = stops[k].second;
    const auto& cb = stops[k + 1].second;
    if (b <= a) return false;
    for (int s = a; s <= b; ++s) {
      auto mix = [&](int u, int v) {
        return static_cast<uint8_t>(u + ((v - u) * (s - a) + (b - a) / 2) / (b - a));
      };
      out->palette[ramp.first + s] = {mix(ca.r, cb.r), mix(ca.g, cb.g), mix(ca.b, cb.b)};
    }
  }
  out->ramps.push_back(ramp);
  return true;
}

bool LoadPalette(const std::string& path, ArtSources* out, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines, error)) return false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const auto w = Words(lines[n]);
    if (w.empty() || w[0][0] == '#') continue;
    bool ok = false;
    if (w[0] == "fixed" && w.size() == 3) {
      const int index = std::atoi(w[1].c_str());
      ok = index >= 0 && index < 256 && ParseRgb(w[2], &out->palette[index]);
    } else if (w[0] == "ramp" && w.size() >= 6) {
      ok = ParseRamp(w, out);
    }
    if (!ok) {
      *error = path + ":" + std::to_string(n + 1) + ": cannot read this line";
      return false;
    }
  }
  return true;
}

bool LoadShapes(const std::string& path, ArtSources* out, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines, error)) return false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const auto w = Words(lines[n]);
    if (w.empty() || w[0][0] == '#') continue;
    char* end = nullptr;
    const double v = w.size() >= 2 ? std::strtod(w[1].c_str(), &end) : 0.0;
    if (w.size() < 2 || end == w[1].c_str()) {
      *error = path + ":" + std::to_string(n + 1) + ": expected 'name value'";
      return false;
    }
    out->shapes[w[0]] = v;
  }
  return true;
}

// Blocks start with a header line of words and run until a blank line; '#' lines are notes.
bool LoadGrid(const std::string& path, std::vector<GridBlock>* blocks, std::string* credit,
              std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines, error)) return false;
  GridBlock* open = nullptr;
  for (const std::string& line : lines) {
    if (line.empty()) {
      open = nullptr;
      continue;
    }
    if (open != nullptr) {
      open->rows.push_back(line);
    } else if (line[0] == '#') {
      continue;
    } else if (line.rfind("credit ", 0) == 0 && credit != nullptr) {
      *credit = line.substr(7);
    } else {
      blocks->push_back({Words(line), {}});
      open = &blocks->back();
    }
  }
  for (const GridBlock& b : *blocks) {
    if (b.header.size() < 2 || b.rows.empty()) {
      *error = path + ": a block has no name or no rows";
      return false;
    }
    for (const std::string& row : b.rows) {
      if (row.size() != b.rows[0].size()) {
        *error = path + ": rows of '" + b.header[1] + "' differ in length";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

uint8_t Ramp::Step(int s) const {
  if (s < 0) s = 0;
  if (s > count - 1) s = count - 1;
  return static_cast<uint8_t>(first + s);
}

const Ramp& ArtSources::FindRamp(const std::string& name) const {
  for (const Ramp& r : ramps) {
    if (r.name == name) return r;
  }
  std::fprintf(stderr, "palette.txt has no ramp '%s'\n", name.c_str());
  std::exit(2);
}

double ArtSources::Shape(const std::string& name) const {
  const auto it = shapes.find(name);
  if (it != shapes.end()) return it->second;
  std::fprintf(stderr, "shapes.txt has no '%s'\n", name.c_str());
  std::exit(2);
}

const GridBlock* ArtSources::FindGlyph(const std::vector<GridBlock>& blocks,
                                       const std::string& name) const {
  for (const GridBlock& b : blocks) {
    if (b.header[1] == name) return &b;
  }
  return nullptr;
}

bool LoadArtSources(const std::string& dir, ArtSources* out, std::string* error) {
  *out = ArtSources{};
  return LoadPalette(dir + "/palette.txt", out, error) &&
         LoadShapes(dir + "/shapes.txt", out, error) &&
         LoadGrid(dir + "/font.txt", &out->font, nullptr, error) &&
         LoadGrid(dir + "/small_font.txt", &out->small_font, &out->credit, error) &&
         LoadGrid(dir + "/art_cells.txt", &out->cells, nullptr, error);
}

}  // namespace sheet

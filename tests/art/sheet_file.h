// Reads the committed sprite sheet the way the game's loader sees it, for the art tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "art_sources.h"
#include "indexed_image.h"

namespace art_test {

std::vector<uint8_t> ReadBytes(const std::string& path);
uint32_t Le32(const std::vector<uint8_t>& b, size_t at);
uint16_t Le16(const std::vector<uint8_t>& b, size_t at);

// The committed resources/char.bmp as top-down indices and its palette.
struct LoadedSheet {
  sheet::IndexedImage pixels;
  sheet::Palette palette{};
};
const LoadedSheet& CommittedSheet();

// The art sources the sheet was drawn from (for ramp ranges).
const sheet::ArtSources& Sources();

std::string SourcePath(const std::string& relative);

}  // namespace art_test

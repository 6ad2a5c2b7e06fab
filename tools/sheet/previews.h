// Writes the review pictures of the sheet into a folder.
#pragma once

#include <string>

#include "art_sources.h"

namespace sheet {

// sheet_preview.png (twice the size, key shown black), specimen_text.png,
// specimen_sprites.png and three mock screens (screen_title, screen_play, screen_entry).
bool WritePreviews(const ArtSources& art, const IndexedImage& sheet, const std::string& dir);

}  // namespace sheet

// Draws the whole 512 x 512 sprite sheet from the art sources.
#pragma once

#include "art_sources.h"

namespace sheet {

// Every pixel no art covers holds the key colour, the top-left one included.
IndexedImage BuildSheet(const ArtSources& art);

}  // namespace sheet

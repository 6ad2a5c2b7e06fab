// The game's icon: the red balloon, smooth-edged with alpha, at any size.
#pragma once

#include "art_sources.h"

namespace sheet {

// The sizes written to icons/skypop-N.png: the desktop's hicolor sizes (16 to 256) and the web
// app manifest's 192 and 512.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 192, 256, 512};

RgbaImage DrawIcon(const ArtSources& art, int size);

}  // namespace sheet

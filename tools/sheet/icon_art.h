// The game's icon: the red balloon, smooth-edged with alpha, at any size.
#pragma once

#include "art_sources.h"

namespace sheet {

RgbaImage DrawIcon(const ArtSources& art, int size);

}  // namespace sheet

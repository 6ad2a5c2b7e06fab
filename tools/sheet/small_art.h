// The small art cells of the sheet's fourth style: pointer, cross-hair, dots, framed squares,
// selection-box pieces, left arrow, and the two stars.
#pragma once

#include "art_sources.h"

namespace sheet {

void DrawPointerAndArrow(const ArtSources& art, IndexedImage* sheet);
void DrawCrossHair(const ArtSources& art, IndexedImage* sheet);
void DrawSparks(const ArtSources& art, IndexedImage* sheet);
void DrawFramedSquares(const ArtSources& art, IndexedImage* sheet);
void DrawSelectionBox(const ArtSources& art, IndexedImage* sheet);
void DrawStars(const ArtSources& art, IndexedImage* sheet);

}  // namespace sheet

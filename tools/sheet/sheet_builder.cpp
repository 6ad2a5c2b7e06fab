#include "sheet_builder.h"

#include "balloon_art.h"
#include "lettering.h"
#include "small_art.h"

namespace sheet {

IndexedImage BuildSheet(const ArtSources& art) {
  IndexedImage sheet(512, 512, kKeyIndex);
  DrawFontStyles(art, &sheet);
  DrawPointerAndArrow(art, &sheet);
  DrawCrossHair(art, &sheet);
  DrawSparks(art, &sheet);
  DrawFramedSquares(art, &sheet);
  DrawStyleThreeLettering(art, &sheet);
  DrawSelectionBox(art, &sheet);
  DrawStars(art, &sheet);
  DrawBalloons(art, &sheet);
  return sheet;
}

}  // namespace sheet

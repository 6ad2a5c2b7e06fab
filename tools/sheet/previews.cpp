#include "previews.h"

#include <filesystem>

#include "image_files.h"
#include "specimen.h"

namespace sheet {

bool WritePreviews(const ArtSources& art, const IndexedImage& sheet, const std::string& dir) {
  std::filesystem::create_directories(dir);
  const Palette& pal = art.palette;
  auto png = [&](const char* name, const RgbaImage& image) {
    return WriteFile(dir + "/" + name, EncodePng(image));
  };
  return png("sheet_preview.png", ToRgba(sheet, pal, 2, true)) &&
         png("specimen_text.png", ToRgba(TextSpecimen(sheet), pal, 1, false)) &&
         png("specimen_text_zoom.png", ToRgba(TextSpecimen(sheet), pal, 3, false)) &&
         png("specimen_sprites.png", SpriteSpecimen(sheet, pal)) &&
         png("screen_title.png", ToRgba(TitleScreen(sheet), pal, 1, false)) &&
         png("screen_play.png", ToRgba(PlayScreen(sheet), pal, 1, false)) &&
         png("screen_entry.png", ToRgba(EntryScreen(sheet), pal, 1, false));
}

}  // namespace sheet

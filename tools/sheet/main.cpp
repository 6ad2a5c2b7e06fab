// Draws the game's sprite sheet and icon from the readable sources in resources/art.
//
// Usage: sheet_generator ART_DIR OUT_DIR [PREVIEW_DIR]
//   OUT_DIR receives char.bmp, myicon.bmp and icons/skypop-NxN.png;
//   PREVIEW_DIR, when given, receives the review pictures (sheet preview, specimens, screens).
// The output depends on nothing but the sources: running it twice gives the same bytes.

#include <cstdio>
#include <filesystem>
#include <string>

#include "art_sources.h"
#include "icon_art.h"
#include "image_files.h"
#include "previews.h"
#include "sheet_builder.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ART_DIR OUT_DIR [PREVIEW_DIR]\n", argv[0]);
    return 2;
  }
  sheet::ArtSources art;
  std::string error;
  if (!sheet::LoadArtSources(argv[1], &art, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string out = argv[2];
  std::filesystem::create_directories(out + "/icons");
  const sheet::IndexedImage image = sheet::BuildSheet(art);
  bool ok = sheet::WriteFile(out + "/char.bmp", sheet::EncodeSheetBmp(image, art.palette));
  ok = ok && sheet::WriteFile(out + "/myicon.bmp", sheet::EncodeIconBmp(sheet::DrawIcon(art, 64)));
  for (const int size : sheet::kIconSizes) {
    const std::string name = "skypop-" + std::to_string(size) + ".png";
    ok = ok &&
         sheet::WriteFile(out + "/icons/" + name, sheet::EncodePng(sheet::DrawIcon(art, size)));
  }
  if (ok && argc > 3) ok = sheet::WritePreviews(art, image, argv[3]);
  if (!ok) {
    std::fprintf(stderr, "could not write every file\n");
    return 1;
  }
  return 0;
}

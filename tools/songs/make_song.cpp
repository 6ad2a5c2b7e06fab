// Turns the readable note sources of the game's songs into the MIDS forms it embeds.
//
// Usage: make_song SOURCE.txt OUT.mids [SOURCE.txt OUT.mids ...]
// The same source always gives the same bytes, so the committed songs can be checked.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "song_stream.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: make_song SOURCE.txt OUT.mids [SOURCE.txt OUT.mids ...]\n");
    return 2;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "make_song: cannot read %s\n", argv[i]);
      return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> mids;
    std::string summary;
    std::string error;
    if (!songs::MakeSong(text, mids, summary, error)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
    std::ofstream out(argv[i + 1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(mids.data()),
              static_cast<std::streamsize>(mids.size()));
    if (!out) {
      std::fprintf(stderr, "make_song: cannot write %s\n", argv[i + 1]);
      return 1;
    }
    std::fputs(summary.c_str(), stdout);
  }
  return 0;
}

// Writes the game's two sound effects: make_effects RESOURCES_DIR -> bann.wav, hyuu.wav.
#include <cstdio>
#include <string>
#include <vector>

#include "effect_synth.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RESOURCES_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  if (!Write(dir + "/bann.wav", effects::MakeBann()) ||
      !Write(dir + "/hyuu.wav", effects::MakeHyuu())) {
    std::fprintf(stderr, "make_effects: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}

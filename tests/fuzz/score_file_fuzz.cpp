// The score file as a player's editor or a damaged disk might leave it: whatever it holds, the
// load must not crash, and the table the game makes of it must survive a save and a reload: the
// same scores, and the same names as the board shows them. A name ends at its first zero byte,
// and bytes no font draws show as blanks, so those are compared as blanks.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scores/high_scores.h"

namespace {

std::string scorePath;

// A name as the board draws it: ten places, blank after the end and where nothing is drawn.
std::string Shown(const char* name) {
  std::string shown(10, ' ');
  for (size_t i = 0; i < shown.size() && name[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c > ' ' && c != 0x7f) shown[i] = name[i];
  }
  return shown;
}

void RemoveFolder() {
  std::remove(scorePath.c_str());
  std::remove((scorePath + ".tmp").c_str());
  rmdir(scorePath.substr(0, scorePath.rfind('/')).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/skypop_score_fuzz_XXXXXX";
  if (mkdtemp(folder) == nullptr) std::abort();
  scorePath = std::string(folder) + "/KIPO.INI";
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(scorePath.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::abort();
  }
  ResetHighScores();
  SetScoreFiles(scorePath.c_str(), nullptr);
  LoadScores();
  HighScoreEntry loaded[kHighScoreRows];
  std::memcpy(loaded, highScores, sizeof loaded);
  SaveScores();

  ResetHighScores();
  SetScoreFiles(scorePath.c_str(), nullptr);
  LoadScores();
  for (int row = 0; row < kHighScoreRows; ++row) {
    const std::string before = Shown(loaded[row].name);
    const std::string after = Shown(highScores[row].name);
    if (highScores[row].score != loaded[row].score || before != after) {
      std::fprintf(stderr, "row %d changed in a save and reload: %d '%s' became %d '%s'\n", row,
                   loaded[row].score, before.c_str(), highScores[row].score, after.c_str());
      std::abort();
    }
  }
  std::remove(scorePath.c_str());
  return 0;
}

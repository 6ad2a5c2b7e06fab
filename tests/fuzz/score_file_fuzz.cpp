// The score file as a player's editor or a damaged disk might leave it: whatever it holds, the
// load must not crash, and what the game makes of it must survive a save and a reload unchanged.
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
    if (highScores[row].score != loaded[row].score ||
        std::memcmp(highScores[row].name, loaded[row].name, sizeof loaded[row].name) != 0) {
      std::fprintf(stderr, "row %d changed in a save and reload: %d '%.10s' became %d '%.10s'\n",
                   row, loaded[row].score, loaded[row].name, highScores[row].score,
                   highScores[row].name);
      std::abort();
    }
  }
  std::remove(scorePath.c_str());
  return 0;
}

// The score file as a player's editor or a damaged disk might leave it: whatever it holds, the
// load must not crash, and the table the game makes of it must survive a save and a reload: the
// same scores, and the same names as the board shows them. A name ends at its first zero byte,
// and bytes no font draws show as blanks, so those are compared as blanks.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scores/high_scores.h"

namespace {

std::string folder;
std::string scorePath;

// The folder exists only while an input runs: libFuzzer may end the process without running
// exit handlers, and must not leave a folder behind for every run.
void RemoveFiles() {
  for (const char* suffix : {"", ".tmp", ".bad"}) std::remove((scorePath + suffix).c_str());
  rmdir(folder.c_str());
}

// A name as the board draws it: ten places, blank after the end and where nothing is drawn.
std::string Shown(const char* name) {
  std::string shown(10, ' ');
  for (size_t i = 0; i < shown.size() && name[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c > ' ' && c != 0x7f) shown[i] = name[i];
  }
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char name[] = "/tmp/skypop_score_fuzz_XXXXXX";
  if (mkdtemp(name) == nullptr) std::abort();
  folder = name;
  scorePath = folder + "/KIPO.INI";
  rmdir(name);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mkdir(folder.c_str(), 0700);
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
      RemoveFiles();
      std::abort();
    }
  }
  RemoveFiles();
  return 0;
}

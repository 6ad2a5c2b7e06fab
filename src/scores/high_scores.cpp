// The five-row high-score table, its text file KIPO.INI in the working directory, and the number
// formatter used for every displayed score.
//
// The file is five lines of "%d %s\n": the score, a blank, and the ten-character name with every
// blank written as '@'. Files written by earlier versions of the game load unchanged.
#include "scores/high_scores.h"

#include <unistd.h>  // fsync: the new table must be on disk before it replaces the old one

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/game_flow.h"

namespace {
constexpr char kScoreFile[] = "KIPO.INI";
constexpr int kNameLength = 10;

const HighScoreEntry kDefaultTable[kHighScoreRows] = {
    {3000, "NORVE.    "}, {2500, "NORVE.    "}, {2000, "NORVE.    "},
    {1500, "NORVE.    "}, {1000, "NORVE.    "},
};
}  // namespace

// Starts as the built-in table, the same rows as kDefaultTable.
HighScoreEntry highScores[kHighScoreRows] = {
    {3000, "NORVE.    "}, {2500, "NORVE.    "}, {2000, "NORVE.    "},
    {1500, "NORVE.    "}, {1000, "NORVE.    "},
};

namespace {
// Saving is allowed only once the stored table has been read (or found missing) or the table
// has changed in this run: a start-up that fails before the load must not replace the player's
// file with the built-in defaults.
bool tableTrusted = false;

// Chosen once at start-up, before the first load.
std::string scoreFile = kScoreFile;
std::string scoreTempFile = std::string(kScoreFile) + ".tmp";
std::string importFile;

// Reads one blank-delimited word into the row's name, as "%s" would, but keeps only the first ten
// characters and drops the rest of an over-long word so it cannot reach past the row. A word
// shorter than ten ends at a zero byte, and the board then draws only that many characters.
// Returns false at the end of the file, leaving the name as it was.
bool ReadNameWord(FILE* file, char* name) {
  int c = std::fgetc(file);
  while (c != EOF && std::isspace(c)) c = std::fgetc(file);
  if (c == EOF) return false;
  char word[kNameLength + 1] = {};
  int length = 0;
  while (c != EOF && !std::isspace(c)) {
    if (length < kNameLength) word[length++] = static_cast<char>(c);
    c = std::fgetc(file);
  }
  if (c != EOF) std::ungetc(c, file);
  std::memcpy(name, word, sizeof(word));
  for (int i = 0; i < kNameLength; ++i) {
    if (name[i] == '@') name[i] = ' ';
  }
  return true;
}

// Writes the whole table to an open file; false when any write fails.
bool WriteTable(FILE* file) {
  for (const HighScoreEntry& row : highScores) {
    char name[kNameLength + 1];
    std::memcpy(name, row.name, kNameLength);
    name[kNameLength] = '\0';
    for (char& c : name) {
      if (c == ' ') c = '@';
    }
    if (std::fprintf(file, "%d %s\n", static_cast<int>(row.score), name) < 0) return false;
  }
  return true;
}
}  // namespace

void ResetHighScores() {
  std::memcpy(highScores, kDefaultTable, sizeof(highScores));
  tableTrusted = false;
  SetScoreFiles(nullptr, nullptr);
}

void SetScoreFiles(const char* path, const char* importPath) {
  scoreFile = path != nullptr ? path : kScoreFile;
  scoreTempFile = scoreFile + ".tmp";
  importFile = importPath != nullptr ? importPath : "";
}

void LoadScores() {
  FILE* file = std::fopen(scoreFile.c_str(), "r");
  if (file == nullptr && errno == ENOENT && !importFile.empty()) {
    // No table of our own yet: take the older game's, which the next save copies to our file.
    file = std::fopen(importFile.c_str(), "r");
    if (file == nullptr) errno = ENOENT;
  }
  if (file == nullptr) {
    // No file yet is the normal first run; a file that exists but cannot be read is not, and
    // must not be replaced by the defaults at shutdown.
    if (errno == ENOENT) tableTrusted = true;
    return;
  }
  tableTrusted = true;
  for (HighScoreEntry& row : highScores) {
    int value = 0;
    // A token that is not a number stops this row and, since nothing reads past it, every row
    // after it: those keep their previous contents.
    if (std::fscanf(file, "%d", &value) != 1) break;
    row.score = value;
    if (!ReadNameWord(file, row.name)) break;
  }
  game.hiScore = highScores[0].score;
  std::fclose(file);
}

void SaveScores() {
  if (!tableTrusted) return;
  // The new table goes to a file beside the old one and replaces it only once it is complete
  // and on disk, so a crash or a full disk never leaves a truncated table behind.
  FILE* file = std::fopen(scoreTempFile.c_str(), "w");
  if (file == nullptr) return;
  bool ok = WriteTable(file);
  ok = (std::fflush(file) == 0) && ok;
  ok = ok && fsync(fileno(file)) == 0;
  ok = (std::fclose(file) == 0) && ok;
  if (!ok || std::rename(scoreTempFile.c_str(), scoreFile.c_str()) != 0) {
    std::remove(scoreTempFile.c_str());
  }
}

int RankScore() {
  // Strictly less: among equal scores the older entry stays above.
  int i = 0;
  while (i < kHighScoreRows && highScores[i].score >= game.score) ++i;
  if (i == kHighScoreRows) return 0;
  for (int row = kHighScoreRows - 1; row > i; --row) highScores[row] = highScores[row - 1];
  highScores[i].score = game.score;
  std::memcpy(highScores[i].name, "          ", kNameLength + 1);
  tableTrusted = true;
  return i + 1;
}

void FormatNumber(int value, char* buffer, int width) {
  if (width <= 0) {
    if (width == 0) buffer[0] = '\0';
    return;
  }
  std::memset(buffer, ' ', static_cast<size_t>(width));
  buffer[width] = '\0';
  // Scores are never negative, but a hand-edited file can make them so: show a minus sign in
  // front of the digits (or in the first place when the digits fill the field) instead of
  // characters from outside the font. Widened so that the most negative value negates safely.
  const bool negative = value < 0;
  long long rest = negative ? -static_cast<long long>(value) : value;
  const int first = negative ? 1 : 0;
  int position = width - 1;
  do {
    buffer[position] = static_cast<char>('0' + rest % 10);
    rest /= 10;
    --position;
  } while (rest != 0 && position >= first);
  if (negative) buffer[position >= 0 ? position : 0] = '-';
}

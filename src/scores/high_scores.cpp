// The five-row high-score table, its text file KIPO.INI (in the folder the start-up chose), and
// the number formatter used for every displayed score.
//
// The file is five lines of "%d %s\n": the score, a blank, and the ten-character name with every
// blank written as '@'. A table written by any run of the game loads unchanged.
#include "scores/high_scores.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "machine/printable.h"
#include "machine/user_file.h"
#include "state/game_state.h"

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
// has gained a row in this run: a start-up that fails before the load must not replace the
// player's file with the built-in defaults.
bool tableTrusted = false;
// Rows that this run added and that no save has written yet. A save merges exactly these into
// the file as it is on disk then, so two games sharing one file both keep their new rows.
bool rowUnsaved[kHighScoreRows] = {};
// Where each of this run's rows is on its way into a storage shared through a copy (a browser
// page's): due once ranked, merged into the copy by MergeSavedScores, gone once stored.
enum RowStore : uint8_t { kNotDue, kStoreDue, kStoreMerged };
RowStore rowStore[kHighScoreRows] = {};

// Chosen once at start-up, before the first load.
std::string scoreFile = kScoreFile;
std::string importFile;
// The imported table did not read whole: the first save keeps a copy of it beside our file,
// since the rows after the damage would otherwise be gone for good.
bool importDamaged = false;
// How long a save waits for another game's lock: during play not at all (play must never
// freeze), at the last save a moment.
uint32_t lockWait = 0;
constexpr uint32_t kCloseLockWait = 2000;
// "<file>: <reason>" of the last save that failed, for the player's word at close.
std::string lastFailure;

// Five short lines; anything longer is not a table this game wrote, and is read only this far.
constexpr size_t kReadLimit = 64 * 1024;

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads "%d" as fscanf would, but a value beyond the 32-bit range is held at its end instead of
// wrapping into some other score. False, with nothing consumed past the sign, at a non-number.
bool ReadScore(const std::string& text, size_t* at, int32_t* score, bool* clamped) {
  size_t i = *at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) {
    *at = i;
    return false;
  }
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) {
      value = kLimit;
      *clamped = true;
    }
  }
  if (!negative && value > INT32_MAX) {
    value = INT32_MAX;
    *clamped = true;
  }
  *score = static_cast<int32_t>(negative ? -value : value);
  *at = i;
  return true;
}

// Reads one blank-delimited word into the row's name, as "%s" would, but keeps only the first ten
// characters and drops the rest of an over-long word so it cannot reach past the row. A word
// shorter than ten ends at a zero byte, and the board then draws only that many characters.
// False at the end of the text, leaving the name as it was.
bool ReadNameWord(const std::string& text, size_t* at, char* name, bool* cut) {
  size_t i = *at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i >= text.size()) {
    *at = i;
    return false;
  }
  char word[kNameLength + 1] = {};
  int length = 0;
  for (; i < text.size() && !IsBlank(text[i]); ++i) {
    if (length < kNameLength) {
      word[length++] = text[i] == '@' ? ' ' : text[i];
    } else {
      *cut = true;
    }
  }
  std::memcpy(name, word, sizeof(word));
  *at = i;
  return true;
}

// Reads the file's text into the table. A token that is not a number stops its row and, since
// nothing reads past it, every row after it: those keep their previous contents. True when the
// table holds everything the text said (a short file is fine), so that a save loses nothing.
bool ParseTable(const std::string& text, HighScoreEntry* table) {
  size_t at = 0;
  bool changed = false;
  for (int row = 0; row < kHighScoreRows; ++row) {
    if (!ReadScore(text, &at, &table[row].score, &changed)) break;
    if (!ReadNameWord(text, &at, table[row].name, &changed)) break;
  }
  while (at < text.size() && IsBlank(text[at])) ++at;
  return !changed && at == text.size();
}

// "%d %s\n" a row. Every blank, and every byte a reader would take for a blank or that no font
// draws, is written as '@', and an empty name as ten of them: what is saved always reads back as
// the same table. A name that ends early (a short word from a hand-made file) stays short.
std::string FormatTable(const HighScoreEntry* table) {
  std::string text;
  for (int row = 0; row < kHighScoreRows; ++row) {
    char line[32];
    std::snprintf(line, sizeof(line), "%d ", static_cast<int>(table[row].score));
    text += line;
    int length = 0;
    while (length < kNameLength && table[row].name[length] != '\0') ++length;
    if (length == 0) text.append(kNameLength, '@');
    for (int i = 0; i < length; ++i) {
      const unsigned char c = static_cast<unsigned char>(table[row].name[i]);
      text += (c <= ' ' || c == 0x7f) ? '@' : static_cast<char>(c);
    }
    text += '\n';
  }
  return text;
}

// Puts this run's unsaved rows into a table read back from the file, each where RankScore would
// have put it: below every row with an equal or higher score.
void MergeUnsavedRows(HighScoreEntry* table) {
  for (int row = 0; row < kHighScoreRows; ++row) {
    if (!rowUnsaved[row]) continue;
    int i = 0;
    while (i < kHighScoreRows && table[i].score >= highScores[row].score) ++i;
    if (i == kHighScoreRows) continue;
    for (int below = kHighScoreRows - 1; below > i; --below) table[below] = table[below - 1];
    table[i] = highScores[row];
  }
}

// One line on standard error: the file, what went wrong, and what the game did about it.
void Report(const platform::UserFile& file, const char* outcome) {
  const std::string why =
      platform::Printable(file.path()) + ": " + platform::Printable(file.problem());
  std::fprintf(stderr, "skypop: %s; %s\n", why.c_str(), outcome);
}

// A save that failed: said now, and remembered for the word at close.
void ReportFailedSave(const platform::UserFile& file, const char* outcome) {
  Report(file, outcome);
  lastFailure = platform::Printable(file.path()) + ": " + platform::Printable(file.problem());
}

// The first line reads as a row does: a score, then a name. Only such a file (or an empty one)
// is a table the game may replace through a link.
bool ReadsAsScoreTable(const std::string& text) {
  if (text.empty()) return true;
  const std::string first = text.substr(0, text.find('\n'));
  size_t at = 0;
  int32_t score = 0;
  char name[kNameLength + 1] = {};
  bool changed = false;
  return ReadScore(first, &at, &score, &changed) && ReadNameWord(first, &at, name, &changed);
}

constexpr platform::UserFileKind kScoreTable = {"a score table", ReadsAsScoreTable};

// The copy of a damaged table, beside our file; false (said) when none could be made.
bool KeepDamaged(platform::UserFile& file, platform::UserFile& damaged) {
  if (!file.KeepCopyOf(damaged, ".bad")) {
    ReportFailedSave(file,
                     "no copy of the damaged file could be kept, so no high scores are saved");
    return false;
  }
  std::fprintf(stderr, "skypop: %s did not read completely; a copy is kept as %s\n",
               platform::Printable(damaged.path()).c_str(),
               platform::Printable(file.copyPath()).c_str());
  return true;
}
}  // namespace

void ResetHighScores() {
  std::memcpy(highScores, kDefaultTable, sizeof(highScores));
  tableTrusted = false;
  std::memset(rowUnsaved, 0, sizeof(rowUnsaved));
  importDamaged = false;
  lastFailure.clear();
  std::fill(rowStore, rowStore + kHighScoreRows, kNotDue);
  SetScoreFiles(nullptr, nullptr);
}

void SetScoreFiles(const char* path, const char* importPath) {
  scoreFile = path != nullptr ? path : kScoreFile;
  importFile = importPath != nullptr ? importPath : "";
}

void LoadScores() {
  platform::UserFile file(scoreFile.c_str(), kScoreTable);
  std::string text;
  bool truncated = false;
  platform::UserFileRead read = file.Read(&text, kReadLimit, &truncated);
  bool imported = false;
  if (read == platform::UserFileRead::kMissing && !importFile.empty()) {
    // No table of our own yet: take the one in the working folder, which the next save copies to
    // our file.
    platform::UserFile older(importFile.c_str(), kScoreTable);
    if (older.Read(&text, kReadLimit, &truncated) == platform::UserFileRead::kRead) {
      read = platform::UserFileRead::kRead;
      imported = true;
    }
  }
  if (read == platform::UserFileRead::kUnreadable) {
    // Not the normal first run: this file holds somebody's scores, so it is never replaced.
    Report(file, "its high scores are not loaded, and it will not be replaced");
    return;
  }
  tableTrusted = true;
  if (read == platform::UserFileRead::kMissing) return;
  const bool whole = ParseTable(text, highScores) && !truncated;
  importDamaged = imported && !whole;
  game.hiScore = highScores[0].score;
}

void SaveScores() {
  bool anyUnsaved = false;
  for (bool unsaved : rowUnsaved) anyUnsaved = anyUnsaved || unsaved;
  if (!tableTrusted && !anyUnsaved) return;

  // Under the lock the file is read again, so that rows another game saved since our load stay.
  platform::UserFile file(scoreFile.c_str(), kScoreTable);
  if (!file.Lock(lockWait)) {
    ReportFailedSave(file, "high scores not saved");
    return;
  }
  if (importDamaged) {
    // A table the player has moved away since the start needs no copy: they have it.
    platform::UserFile older(importFile.c_str(), kScoreTable);
    std::string probe;
    bool more = false;
    const bool gone = older.Read(&probe, kReadLimit, &more) == platform::UserFileRead::kMissing;
    if (!gone && !KeepDamaged(file, older)) return;
    importDamaged = false;
  }
  HighScoreEntry table[kHighScoreRows];
  std::string text;
  bool truncated = false;
  switch (file.Read(&text, kReadLimit, &truncated)) {
    case platform::UserFileRead::kUnreadable:
      ReportFailedSave(file, "high scores not saved over it");
      return;
    case platform::UserFileRead::kMissing:
      std::memcpy(table, highScores, sizeof(table));
      break;
    case platform::UserFileRead::kRead:
      std::memcpy(table, kDefaultTable, sizeof(table));
      // Rows after a damaged one would be lost by the rewrite: keep the file for the player.
      if ((!ParseTable(text, table) || truncated) && !KeepDamaged(file, file)) return;
      MergeUnsavedRows(table);
      break;
  }
  if (!file.Replace(FormatTable(table))) {
    // The table stays in memory with its rows still unsaved, so the save at quit tries again.
    ReportFailedSave(file, "high scores not saved");
    return;
  }
  if (file.replacedInPlace()) {
    std::fprintf(stderr,
                 "skypop: %s: its folder takes no new files, so it was rewritten in place\n",
                 platform::Printable(file.path()).c_str());
  }
  std::memset(rowUnsaved, 0, sizeof(rowUnsaved));
  lastFailure.clear();
}

void SaveScoresAtClose() {
  lockWait = kCloseLockWait;
  SaveScores();
  lockWait = 0;
}

std::string UnsavedScoresReason() {
  bool anyUnsaved = false;
  for (bool unsaved : rowUnsaved) anyUnsaved = anyUnsaved || unsaved;
  return anyUnsaved ? lastFailure : std::string();
}

int RankScore() {
  // Strictly less: among equal scores the older entry stays above.
  int i = 0;
  while (i < kHighScoreRows && highScores[i].score >= game.score) ++i;
  if (i == kHighScoreRows) return 0;
  for (int row = kHighScoreRows - 1; row > i; --row) highScores[row] = highScores[row - 1];
  for (int row = kHighScoreRows - 1; row > i; --row) rowUnsaved[row] = rowUnsaved[row - 1];
  for (int row = kHighScoreRows - 1; row > i; --row) rowStore[row] = rowStore[row - 1];
  highScores[i].score = game.score;
  std::memcpy(highScores[i].name, "          ", kNameLength + 1);
  rowUnsaved[i] = true;
  rowStore[i] = kStoreDue;
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

int ScoresAwaitingStore() {
  int due = 0;
  for (int row = 0; row < kHighScoreRows; ++row) {
    if (rowStore[row] == kStoreDue && !rowUnsaved[row]) ++due;
  }
  return due;
}

bool MergeSavedScores() {
  // SaveScores merges exactly the unsaved rows: for this one call those are the rows saved but
  // not stored, and a row still being named is held back for its own save.
  bool naming[kHighScoreRows];
  std::memcpy(naming, rowUnsaved, sizeof(naming));
  for (int row = 0; row < kHighScoreRows; ++row) {
    rowUnsaved[row] = !naming[row] && rowStore[row] == kStoreDue;
  }
  SaveScores();
  bool written = true;
  for (bool unsaved : rowUnsaved) written = written && !unsaved;
  for (int row = 0; row < kHighScoreRows; ++row) {
    if (written && !naming[row] && rowStore[row] == kStoreDue) rowStore[row] = kStoreMerged;
  }
  std::memcpy(rowUnsaved, naming, sizeof(naming));
  return written;
}

void ScoresStored(bool stored) {
  for (RowStore& state : rowStore) {
    if (state == kStoreMerged) state = stored ? kNotDue : kStoreDue;
  }
}

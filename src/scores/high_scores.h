// The five-row high-score table, its file, and the number formatter of every displayed score.
#pragma once

#include <cstdint>
#include <string>

struct HighScoreEntry {
  int32_t score;
  char name[11];  // ten characters, blank-padded, then a zero byte that always stays zero
};

constexpr int kHighScoreRows = 5;
extern HighScoreEntry highScores[kHighScoreRows];

// Puts the table back to the built-in defaults, forgets any load and names the default file.
void ResetHighScores();

// Names the score file (by default KIPO.INI in the working directory) and, optionally, a file to
// read the table from while that one does not exist yet (an older game's table); saves always go
// to `path`. Either may be null: null `path` keeps the default, null `importPath` imports nothing.
void SetScoreFiles(const char* path, const char* importPath);

void LoadScores();
// Saves the table, merging this run's new rows into the file as it is on disk now. During play
// it never waits for another game's lock: a save that cannot have it says so, and the rows stay
// unsaved for the next save.
void SaveScores();
// The last save, as the game closes: waits up to two seconds for another game's lock.
void SaveScoresAtClose();
// Why rows this run ranked are still not in the file ("<file>: <reason>", as the last failed
// save said it, control characters escaped); empty when every ranked row is saved.
std::string UnsavedScoresReason();
int RankScore();
void FormatNumber(int value, char* buffer, int width);

// For a host whose score folder is its own copy of a storage that other running games share and
// that it reaches only asynchronously (a browser page's copy of the site's IndexedDB): SaveScores
// writes the copy, and these carry the rows it saved on into the shared storage. The host takes
// a lock of its own, reads its copy back from the storage, calls MergeSavedScores, writes the copy
// out, tells ScoresStored how that went, and lets the lock go.
//
// How many rows this run has saved that are not yet in the shared storage.
int ScoresAwaitingStore();
// Re-reads the score file (just read back from the storage) and merges those rows into it, as
// SaveScores merges its unsaved rows under its folder lock; a row whose name is still being
// entered waits for its own save. False when the file was not written (reported as SaveScores
// reports it): the rows stay due.
bool MergeSavedScores();
// The copy the last MergeSavedScores wrote reached the storage (true), or did not (false: its rows
// are due again, and the next merge into a fresh copy adds them once).
void ScoresStored(bool stored);

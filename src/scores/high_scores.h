// The five-row high-score table, its file, and the number formatter of every displayed score.
#pragma once

#include <cstdint>

struct HighScoreEntry {
  int32_t score;
  char name[11];  // ten characters, blank-padded, then a zero byte that always stays zero
};

constexpr int kHighScoreRows = 5;
extern HighScoreEntry highScores[kHighScoreRows];

// Puts the table back to the built-in defaults and forgets any load (tests and start-up).
void ResetHighScores();

void LoadScores();
void SaveScores();
int RankScore();
void FormatNumber(int value, char* buffer, int width);

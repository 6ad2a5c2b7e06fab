#include "scores/high_scores.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/game_flow.h"
#include "temp_dir.h"

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const char kDefaultFile[] =
    "3000 NORVE.@@@@\n2500 NORVE.@@@@\n2000 NORVE.@@@@\n1500 NORVE.@@@@\n1000 NORVE.@@@@\n";

class HighScoresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHighScores();
    ResetGameState();
  }
  TempWorkingDir dir_;
};

int RankOf(int32_t score) {
  ResetHighScores();
  game.score = score;
  return RankScore();
}

TEST_F(HighScoresTest, RanksBelowEqualScoresAndDropsTheLastRow) {
  EXPECT_EQ(RankOf(3000), 2);
  EXPECT_EQ(RankOf(1001), 5);
  EXPECT_EQ(RankOf(1000), 0);
  EXPECT_EQ(highScores[4].score, 1000);
  EXPECT_EQ(RankOf(3001), 1);
  EXPECT_EQ(highScores[0].score, 3001);
  EXPECT_STREQ(highScores[0].name, "          ");
  EXPECT_EQ(highScores[1].score, 3000);
  EXPECT_STREQ(highScores[1].name, "NORVE.    ");
  EXPECT_EQ(highScores[4].score, 1500);
}

TEST_F(HighScoresTest, SavesTheOriginalTextFormatAndReadsItBack) {
  LoadScores();  // no file: the defaults stand
  EXPECT_EQ(game.hiScore, 3000);
  game.score = 2200;
  ASSERT_EQ(RankScore(), 3);
  std::memcpy(highScores[2].name, "AB CD     ", 10);
  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI"),
            "3000 NORVE.@@@@\n2500 NORVE.@@@@\n2200 AB@CD@@@@@\n2000 NORVE.@@@@\n"
            "1500 NORVE.@@@@\n");
  EXPECT_FALSE(std::filesystem::exists("KIPO.INI.tmp"));
  ResetHighScores();
  LoadScores();
  EXPECT_STREQ(highScores[2].name, "AB CD     ");
  EXPECT_EQ(highScores[2].score, 2200);
}

TEST_F(HighScoresTest, LoadsShortWordsAndSetsHiScoreFromRowZero) {
  WriteFile("KIPO.INI", "500 XYZ\n400 Q@R\n");
  LoadScores();
  EXPECT_EQ(highScores[0].score, 500);
  EXPECT_STREQ(highScores[0].name, "XYZ");  // drawn as three characters
  EXPECT_STREQ(highScores[1].name, "Q R");
  EXPECT_EQ(highScores[2].score, 2000);  // rows not read keep their defaults
  EXPECT_STREQ(highScores[4].name, "NORVE.    ");
  EXPECT_EQ(game.hiScore, 500);
  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI").substr(0, 16), "500 XYZ\n400 Q@R\n");
}

TEST_F(HighScoresTest, AMalformedTokenStopsEveryRowAfterIt) {
  WriteFile("KIPO.INI", "9000 AAA\nabc BBB\n7000 CCC\n");
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9000);
  EXPECT_EQ(highScores[1].score, 2500);
  EXPECT_EQ(highScores[2].score, 2000);
  EXPECT_STREQ(highScores[2].name, "NORVE.    ");
  // A number with no name after it keeps the row's old name.
  ResetHighScores();
  WriteFile("KIPO.INI", "9000");
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9000);
  EXPECT_STREQ(highScores[0].name, "NORVE.    ");
}

TEST_F(HighScoresTest, AnOverLongNameIsCutToTenAndTheNextRowStillReads) {
  WriteFile("KIPO.INI", "4000 ABCDEFGHIJKLMNOPQRSTUVWXYZ\n3500 NEXT@ONE@@\n");
  LoadScores();
  EXPECT_STREQ(highScores[0].name, "ABCDEFGHIJ");
  EXPECT_EQ(highScores[0].name[10], '\0');
  EXPECT_EQ(highScores[1].score, 3500);
  EXPECT_STREQ(highScores[1].name, "NEXT ONE  ");
}

TEST_F(HighScoresTest, NothingIsSavedBeforeTheTableWasLoadedOrChanged) {
  WriteFile("KIPO.INI", "77777 KEEP@ME@@@@\n");
  SaveScores();  // a start-up that failed before the load
  EXPECT_EQ(ReadFile("KIPO.INI"), "77777 KEEP@ME@@@@\n");

  std::filesystem::remove("KIPO.INI");
  game.score = 5000;
  RankScore();  // a table changed in this run is worth keeping
  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI").substr(0, 16), "5000 @@@@@@@@@@\n");

  ResetHighScores();
  std::filesystem::remove("KIPO.INI");
  LoadScores();  // first run, no file: saving the defaults is right
  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI"), kDefaultFile);
}

TEST_F(HighScoresTest, AFailedWriteLeavesTheOldFileIntact) {
  const std::string old = "8888 OLD@TABLE@@\n";
  WriteFile("KIPO.INI", old);
  LoadScores();
  game.score = 9999;
  RankScore();

  // The temporary file cannot be created.
  std::filesystem::create_directory("KIPO.INI.tmp");
  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI"), old);
  std::filesystem::remove("KIPO.INI.tmp");

  // The disk fills up part way: no more than 20 bytes may be written.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  SaveScores();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(ReadFile("KIPO.INI"), old);
  EXPECT_FALSE(std::filesystem::exists("KIPO.INI.tmp"));

  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI").substr(0, 10), "9999 @@@@@");
}

TEST(FormatNumberTest, RightAlignsInABlankField) {
  char buffer[9];
  FormatNumber(0, buffer, 8);
  EXPECT_STREQ(buffer, "       0");
  FormatNumber(12345, buffer, 8);
  EXPECT_STREQ(buffer, "   12345");
  FormatNumber(123456789, buffer, 8);
  EXPECT_STREQ(buffer, "23456789");
}

TEST(FormatNumberTest, NegativeValuesGetASignAndStayInTheFont) {
  char buffer[9];
  FormatNumber(-5, buffer, 8);
  EXPECT_STREQ(buffer, "      -5");
  FormatNumber(-12345678, buffer, 8);
  EXPECT_STREQ(buffer, "-2345678");
  FormatNumber(INT_MIN, buffer, 8);
  EXPECT_EQ(std::strlen(buffer), 8u);
  EXPECT_EQ(buffer[0], '-');
  for (int i = 1; i < 8; ++i) EXPECT_TRUE(buffer[i] >= '0' && buffer[i] <= '9') << buffer;
}

}  // namespace

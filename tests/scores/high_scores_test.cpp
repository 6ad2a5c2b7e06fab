#include "scores/high_scores.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/desktop/settings.h"
#include "game/game_flow.h"
#include "game_reset.h"
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

// What `run` writes on standard error, through a pipe (lines this short never fill it).
std::string StderrOf(const std::function<void()>& run) {
  int ends[2];
  if (pipe(ends) != 0) return "no pipe";
  const int saved = dup(2);
  dup2(ends[1], 2);
  run();
  dup2(saved, 2);
  close(saved);
  close(ends[1]);
  std::string text;
  char block[256];
  for (ssize_t n; (n = read(ends[0], block, sizeof(block))) > 0;) text.append(block, n);
  close(ends[0]);
  return text;
}

const char kDefaultFile[] =
    "3000 NORVE.@@@@\n2500 NORVE.@@@@\n2000 NORVE.@@@@\n1500 NORVE.@@@@\n1000 NORVE.@@@@\n";

class HighScoresTest : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ResetGameWideState(); }
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
  const std::string old = "8888 OLD@TABLE@\n";
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
  const std::string said = StderrOf(SaveScores);  // a pipe: the file size limit does not apply
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(ReadFile("KIPO.INI"), old);
  EXPECT_FALSE(std::filesystem::exists("KIPO.INI.tmp"));
  EXPECT_NE(said.find("KIPO.INI: cannot write it: File too large; high scores not saved\n"),
            std::string::npos)
      << said;

  SaveScores();
  EXPECT_EQ(ReadFile("KIPO.INI").substr(0, 10), "9999 @@@@@");
}

// Loads, ranks 9999 and saves, as a game that makes the table would; returns what it said.
std::string PlayAGameThatRanks() {
  return StderrOf([] {
    LoadScores();
    game.score = 9999;
    RankScore();
    SaveScores();
  });
}

// Runs `check` in a child process without root's powers, as a player runs the game (CI runs as
// root, who may write any file), or keeping them; its exit status is the number of failed
// expectations (100: the powers could not be dropped).
int AsAPlayer(const std::function<int()>& check, bool asRoot = false) {
  std::filesystem::permissions(std::filesystem::current_path(), std::filesystem::perms::all);
  const pid_t child = fork();
  if (child == 0) {
    if (!asRoot && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      _exit(100);
    }
    _exit(check());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

TEST_F(HighScoresTest, FilesThatMayNotBeReplacedAreLeftAndReported) {
  const std::string old = "8888 OLD@TABLE@\n";
  struct Case {
    const char* name;
    mode_t fileMode;
    mode_t folderMode;
    bool replaced;
    const char* said;
  };
  const Case cases[] = {
      {"read-only file", 0444, 0755, false, "the file is read-only; high scores not saved"},
      {"unreadable file", 0000, 0755, false, "cannot read it: Permission denied"},
      // A writable file in a folder that takes no new files is rewritten in place.
      {"read-only folder", 0644, 0555, true, "its folder takes no new files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int failed = AsAPlayer([&] {
      std::filesystem::create_directory("scores");
      WriteFile("scores/KIPO.INI", old);
      chmod("scores/KIPO.INI", c.fileMode);
      chmod("scores", c.folderMode);
      SetScoreFiles("scores/KIPO.INI", nullptr);
      const std::string said = PlayAGameThatRanks();
      chmod("scores", 0755);
      chmod("scores/KIPO.INI", 0644);
      const bool replaced = ReadFile("scores/KIPO.INI").rfind("9999 ", 0) == 0;
      return (replaced != c.replaced) + (said.find(c.said) == std::string::npos) +
             !std::filesystem::exists("scores/KIPO.INI");
    });
    EXPECT_EQ(failed, 0);
    std::filesystem::remove_all("scores");
  }

  // The settings file in such a folder too: rewritten in place, and said so.
  const auto settingsInPlace = [] {
    std::filesystem::create_directory("config");
    WriteFile("config/skypop.cfg", "mute = no\n");
    chmod("config", 0555);
    const std::string said = StderrOf([] { WriteSettings("config/skypop.cfg", {.muted = true}); });
    chmod("config", 0755);
    return (said.find("rewritten in place") == std::string::npos) +
           (ReadFile("config/skypop.cfg").find("mute = yes\n") != 0);
  };
  EXPECT_EQ(AsAPlayer(settingsInPlace), 0);

  // Something that is not a file must neither block the start nor be replaced.
  ASSERT_EQ(mkfifo("KIPO.INI", 0644), 0);
  EXPECT_NE(PlayAGameThatRanks().find("not a regular file"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_fifo("KIPO.INI"));
}

TEST_F(HighScoresTest, LinksAreKeptAndNeverWrittenThrough) {
  // A link as the score file stays a link; its target is replaced and keeps its mode.
  std::filesystem::create_directory("store");
  WriteFile("store/real.ini", "100 A\n");
  chmod("store/real.ini", 0640);
  std::filesystem::create_symlink("store/real.ini", "KIPO.INI");
  // A leftover temporary file that links elsewhere is removed, not written into.
  WriteFile("store/victim", "precious");
  std::filesystem::create_symlink("../store/victim", "store/real.ini.tmp");
  PlayAGameThatRanks();
  EXPECT_TRUE(std::filesystem::is_symlink("KIPO.INI"));
  EXPECT_EQ(ReadFile("store/real.ini").substr(0, 8), "9999 @@@");
  EXPECT_EQ(std::filesystem::status("store/real.ini").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  EXPECT_EQ(ReadFile("store/victim"), "precious");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("store/real.ini.tmp")));
}

// Files that are not the game's own, for root and for a player alike: "etc" stands in for /etc
// (root's), "shared" for a sticky folder where user 4242 planted a link to another of root's files.
TEST_F(HighScoresTest, LinksLocksAndSalvageCopiesNeverReachOtherFiles) {
  namespace fs = std::filesystem;
  const std::string passwd = "root:x:0:0:root:/root:/bin/bash\n", secret = "1000 SECRET\n";
  fs::create_directories("etc");
  WriteFile("etc/passwd", passwd);
  WriteFile("etc/scores", secret);
  fs::create_directory("shared");
  fs::permissions("shared", fs::perms::all | fs::perms::sticky_bit);
  fs::create_symlink(fs::absolute("etc/scores"), "shared/KIPO.INI");
  ASSERT_EQ(lchown("shared/KIPO.INI", 4242, 4242), 0) << "another user's link needs root";
  // "link": the file links to etc/passwd; "damaged": a damaged 0600 table beside a .bad link to
  // etc/passwd and an earlier .bad.1; "locked": another program holds the folder's lock.
  const struct {
    const char* file;  // in the run's own folder
    const char* planted;
    const char* said;
  } cases[] = {
      {"skypop.cfg", "link", "it is a link to a file that is not a settings file"},
      {"KIPO.INI", "link", "it is a link to a file that is not a score table"},
      {"../shared/KIPO.INI", "", "it is a link owned by another user"},
      {"KIPO.INI", "damaged", "a copy is kept as ./KIPO.INI.bad.2"},
      {"KIPO.INI", "locked", "another program holds the lock on its folder"},
  };
  for (const bool asRoot : {true, false}) {
    const int failed = AsAPlayer(
        [&] {
          int wrong = 0;
          const std::string folder = "as" + std::to_string(geteuid());
          for (const auto& c : cases) {
            fs::create_directory(folder);
            fs::current_path(folder);
            const std::string planted = c.planted;
            if (planted == "link") fs::create_symlink("../etc/passwd", c.file);
            if (planted == "damaged") {
              WriteFile("KIPO.INI", "9000 AAA\nabc BBB\n");
              chmod("KIPO.INI", 0600);
              fs::create_symlink("../etc/passwd", "KIPO.INI.bad");
              WriteFile("KIPO.INI.bad.1", "earlier");
            }
            const int lock = open(".", O_RDONLY);
            if (planted == "locked") flock(lock, LOCK_EX);
            ResetHighScores();
            SetScoreFiles((std::string("./") + c.file).c_str(), nullptr);
            // The save at close waits a moment for the lock, then gives up just the same.
            std::string said = std::string(c.file) == "skypop.cfg"
                                   ? StderrOf([&] { WriteSettings(c.file, {}); })
                                   : PlayAGameThatRanks();
            said += StderrOf(SaveScoresAtClose);
            close(lock);
            const bool copied =
                planted != "damaged" || (ReadFile("KIPO.INI.bad.2") == "9000 AAA\nabc BBB\n" &&
                                         ReadFile("KIPO.INI.bad.1") == "earlier" &&
                                         fs::status("KIPO.INI.bad.2").permissions() ==
                                             (fs::perms::owner_read | fs::perms::owner_write));
            const bool told =
                planted != "locked" || UnsavedScoresReason().find(c.said) != std::string::npos;
            fs::current_path("..");
            fs::remove_all(folder);
            if (said.find(c.said) == std::string::npos || !copied || !told ||
                ReadFile("etc/passwd") != passwd || ReadFile("etc/scores") != secret) {
              std::fprintf(stderr, "%s as uid %d: %s\n", c.said, geteuid(), said.c_str());
              ++wrong;
            }
          }
          return wrong;
        },
        asRoot);
    EXPECT_EQ(failed, 0) << (asRoot ? "as root" : "as a player");
  }
}

TEST_F(HighScoresTest, WhatIsSavedReadsBackAsTheSameTable) {
  struct Case {
    const char name[11];
    const char* loaded;
  };
  const Case cases[] = {
      {"", "          "},            // empty: ten blanks, not a missing word
      {"\0BC", "          "},        // a name that starts with a zero byte is empty
      {"A\tB\nC", "A B C"},          // bytes a reader takes for blanks
      {"AB CD     ", "AB CD     "},  // inner blanks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loaded);
    std::filesystem::remove("KIPO.INI");
    ResetHighScores();
    LoadScores();
    game.score = 2200;
    ASSERT_EQ(RankScore(), 3);
    std::memcpy(highScores[2].name, c.name, 10);
    SaveScores();
    ResetHighScores();
    LoadScores();
    EXPECT_STREQ(highScores[2].name, c.loaded);
    EXPECT_EQ(highScores[3].score, 2000);  // no row shifted
    EXPECT_STREQ(highScores[4].name, "NORVE.    ");
  }
  // Scores beyond 32 bits are held at the range's ends instead of wrapping.
  WriteFile("KIPO.INI", "99999999999 A\n-99999999999 B\n");
  LoadScores();
  EXPECT_EQ(highScores[0].score, INT32_MAX);
  EXPECT_EQ(highScores[1].score, INT32_MIN);
}

TEST_F(HighScoresTest, ADamagedFileIsKeptAsBadBeforeItIsReplaced) {
  const std::string damaged = "9000 AAA\nabc BBB\n7000 CCC\n";
  WriteFile("KIPO.INI", damaged);
  const std::string said = PlayAGameThatRanks();
  EXPECT_EQ(ReadFile("KIPO.INI.bad"), damaged);
  EXPECT_NE(said.find("a copy is kept as KIPO.INI.bad"), std::string::npos) << said;
  EXPECT_EQ(ReadFile("KIPO.INI").substr(0, 18), "9999 @@@@@@@@@@\n90");
  // A whole table needs no copy.
  std::filesystem::remove("KIPO.INI.bad");
  ResetHighScores();
  PlayAGameThatRanks();
  EXPECT_FALSE(std::filesystem::exists("KIPO.INI.bad"));
}

TEST_F(HighScoresTest, TwoGamesSharingTheFileKeepEachOthersRows) {
  LoadScores();  // both games start from the default table
  // The other game saves its 5000 while this one plays.
  WriteFile("KIPO.INI",
            "5000 OTHER@@@@@\n3000 NORVE.@@@@\n2500 NORVE.@@@@\n2000 NORVE.@@@@\n"
            "1500 NORVE.@@@@\n");
  game.score = 2600;
  ASSERT_EQ(RankScore(), 2);
  std::memcpy(highScores[1].name, "MINE      ", 10);
  SaveScores();
  SaveScores();  // the save at quit adds nothing twice
  EXPECT_EQ(ReadFile("KIPO.INI"),
            "5000 OTHER@@@@@\n3000 NORVE.@@@@\n2600 MINE@@@@@@\n2500 NORVE.@@@@\n"
            "2000 NORVE.@@@@\n");
}

// A browser page: its folder is a copy of storage other pages share, read back before each merge.
TEST_F(HighScoresTest, RowsSavedIntoACopyReachTheSharedStorageOnce) {
  const std::string other =
      "5000 OTHER@@@@@\n3000 NORVE.@@@@\n2500 NORVE.@@@@\n2000 NORVE.@@@@\n1500 NORVE.@@@@\n";
  const std::string merged =
      "5000 OTHER@@@@@\n3000 NORVE.@@@@\n2600 MINE@@@@@@\n2500 NORVE.@@@@\n2000 NORVE.@@@@\n";
  LoadScores();
  game.score = 2600;
  ASSERT_EQ(RankScore(), 2);
  EXPECT_EQ(ScoresAwaitingStore(), 0);  // not while the name is being entered
  std::memcpy(highScores[1].name, "MINE      ", 10);
  SaveScores();  // into the copy only
  EXPECT_EQ(ScoresAwaitingStore(), 1);
  game.score = 2700;
  ASSERT_EQ(RankScore(), 2);  // another name being entered, above it
  // Each round reads the storage back (the other page's table, until a write reached it), merges,
  // and reports how the write went.
  std::string storage = other;
  for (const bool stored : {false, true, true}) {
    WriteFile("KIPO.INI", storage);
    ASSERT_TRUE(MergeSavedScores());
    if (stored) storage = merged;
    EXPECT_EQ(ReadFile("KIPO.INI"), merged);  // MINE once, the unnamed row not at all
    EXPECT_EQ(ScoresAwaitingStore(), 0);
    ScoresStored(stored);
    EXPECT_EQ(ScoresAwaitingStore(), stored ? 0 : 1);
  }
}

TEST_F(HighScoresTest, TheFolderIsMadeAndAnOlderTableImported) {
  WriteFile("KIPO.INI", "7000 OLD@ONE@@@\n");
  SetScoreFiles("data/skypop/KIPO.INI", "KIPO.INI");
  LoadScores();
  EXPECT_EQ(highScores[0].score, 7000);
  SaveScores();
  EXPECT_EQ(ReadFile("data/skypop/KIPO.INI").substr(0, 16), "7000 OLD@ONE@@@\n");
  EXPECT_EQ(ReadFile("KIPO.INI"), "7000 OLD@ONE@@@\n");  // the old file is left as it was

  // A damaged row: the rows after it are kept in a copy beside the new file, and said so.
  const std::string damaged = "9000 A\n8000 B\nXXXX OLDGAME@@@\n6000 D\n5000 E\n";
  WriteFile("KIPO.INI", damaged);
  ResetHighScores();
  SetScoreFiles("data/again/KIPO.INI", "KIPO.INI");
  LoadScores();
  const std::string said = StderrOf(SaveScores);
  EXPECT_EQ(ReadFile("data/again/KIPO.INI.bad"), damaged);
  EXPECT_NE(said.find("a copy is kept as data/again/KIPO.INI.bad"), std::string::npos) << said;
  EXPECT_EQ(ReadFile("data/again/KIPO.INI").substr(0, 14), "9000 A\n8000 B\n");
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

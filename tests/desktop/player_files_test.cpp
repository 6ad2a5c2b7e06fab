// The player's files: the folders the environment names, the one-time import of an older table,
// the settings file, and what the start-up keeps of a run's settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/desktop/desktop_start.h"
#include "app/desktop/settings.h"
#include "app/desktop/user_folders.h"
#include "host/user_files.h"
#include "machine/message_box.h"
#include "machine/player_settings.h"
#include "scores/high_scores.h"
#include "state/game_state.h"

namespace {

namespace fs = std::filesystem;
using platform::PlayerSettings;

std::string Slurp(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// A scratch home and working directory; HOME, the XDG variables and the working directory come
// back as they were.
class PlayerFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/skypop_files_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    root_ = dir;
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "work");
    cwd_ = fs::current_path();
    fs::current_path(root_ / "work");
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      if (value != nullptr) saved_.emplace_back(name, value);
      unsetenv(name);
    }
    setenv("HOME", (root_ / "home").c_str(), 1);
  }
  void TearDown() override {
    StopOnDesktop();
    platform::ResetPlayerSettings();
    ResetHighScores();
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) unsetenv(name);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    fs::current_path(cwd_);
    fs::remove_all(root_);
  }
  fs::path root_;
  fs::path cwd_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(PlayerFilesTest, FoldersFollowXdgWithTheHomeFolderForUnsetEmptyOrRelativeValues) {
  const std::string home = (root_ / "home").string();
  for (const char* value : {"", "relative/path"}) {
    setenv("XDG_DATA_HOME", value, 1);
    setenv("XDG_CONFIG_HOME", value, 1);
    EXPECT_EQ(platform::UserDataFolder(), home + "/.local/share/skypop");
    EXPECT_EQ(platform::UserConfigFolder(), home + "/.config/skypop");
  }
  // Lexically normal, so that making the folders never walks through a "..".
  setenv("XDG_DATA_HOME", "/srv/a/../data/.", 1);
  setenv("XDG_CONFIG_HOME", "/srv//config/", 1);
  EXPECT_EQ(SettingsPath(), "/srv/config/skypop/skypop.cfg");
  EXPECT_EQ(ResolveScoreFiles("").path, "/srv/data/skypop/KIPO.INI");
  EXPECT_EQ(ResolveScoreFiles("/elsewhere").path, "/elsewhere/KIPO.INI");
  EXPECT_EQ(ResolveScoreFiles(".").path, "./KIPO.INI");
}

TEST_F(PlayerFilesTest, AnOlderTableInTheWorkingDirectoryIsImportedOnceAndLeftAlone) {
  EXPECT_EQ(ResolveScoreFiles("").importPath, "");  // nothing to import
  const std::string old =
      "9000 OLDTIMER@@\n8000 B@@@@@@@@@\n7000 C@@@@@@@@@\n"
      "6000 D@@@@@@@@@\n5000 E@@@@@@@@@\n";
  std::ofstream("KIPO.INI") << old;
  EXPECT_EQ(ResolveScoreFiles(".").importPath, "");  // the same file
  EXPECT_EQ(ResolveScoreFiles((root_ / "work/").string()).importPath, "");

  StartOnDesktop(Options{});
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9000);
  highScores[0].score = 9500;
  SaveScores();  // into the per-user folder, created for it
  EXPECT_EQ(Slurp(root_ / "home/.local/share/skypop/KIPO.INI").rfind("9500 OLDTIMER@@\n", 0), 0u);
  EXPECT_EQ(Slurp("KIPO.INI"), old);
  ResetHighScores();
  StartOnDesktop(Options{});
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9500);  // from now on the per-user table counts
}

TEST_F(PlayerFilesTest, SettingsFileRoundTripsSurvivesNonsenseAndIsNeverReplacedUnread) {
  const fs::path path = root_ / "home/deep/er/skypop.cfg";
  PlayerSettings read;
  EXPECT_EQ(ReadSettings(path, &read), SettingsRead::kMissing);
  const PlayerSettings chosen{false, 70, 0, 35, true};
  ASSERT_TRUE(WriteSettings(path, chosen));  // creates the missing folders
  EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), {}), 1);
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(std::tie(read.fullScreen, read.masterVolume, read.musicVolume, read.effectsVolume,
                     read.muted),
            std::make_tuple(false, 70, 0, 35, true));

  // Hand-edited (with a byte-order mark): spaces and comments are fine, lines that make no sense
  // keep their defaults and are all named in one line.
  std::ofstream(path) << "\xEF\xBB\xBF  volume=40  \n# comment\n\nmusic-volume = loud\n"
                         "fullscreen = no\ncolour = red\neffects-volume = 101\nmute\n\x01garbage";
  testing::internal::CaptureStderr();
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "skypop: " + path.string() +
                ": lines 4, 6, 7, 8, 9 make no sense; those settings keep their defaults\n");
  EXPECT_EQ(std::tie(read.fullScreen, read.masterVolume, read.musicVolume, read.effectsVolume,
                     read.muted),
            std::make_tuple(false, 40, 100, 100, false));

  // A settings file that cannot be read (a folder here): one warning, its path quoted with the
  // control character escaped, the defaults, the keys still work for the run, and no write is
  // even tried.
  setenv("XDG_CONFIG_HOME", (root_ / "con\x1b[1mfig").c_str(), 1);
  fs::create_directories(SettingsPath());
  testing::internal::CaptureStderr();
  StartOnDesktop(Options{});
  const std::string warning = testing::internal::GetCapturedStderr();
  EXPECT_EQ(warning.rfind("skypop: " + (root_ / "con\\x1b[1mfig").string(), 0), 0u) << warning;
  EXPECT_EQ(platform::CurrentPlayerSettings().masterVolume, 100);
  testing::internal::CaptureStderr();
  platform::ChangePlayerSettings(platform::ToggledMute(platform::CurrentPlayerSettings()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a write was attempted";
  EXPECT_TRUE(platform::CurrentPlayerSettings().muted);
  EXPECT_TRUE(fs::is_directory(SettingsPath()));
}

TEST_F(PlayerFilesTest, KeysChangeTheStoredSettingsButTheCommandLineOnlyThisRun) {
  setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
  ASSERT_TRUE(WriteSettings(SettingsPath(), PlayerSettings{true, 80, 60, 100, false}));
  Options options;
  options.fullScreen = false;
  options.volume = 30;
  options.effectsVolume = 10;
  const SoundChoice sound = StartOnDesktop(options);
  EXPECT_TRUE(sound.sound && sound.music);
  PlayerSettings now = platform::CurrentPlayerSettings();
  EXPECT_EQ(std::tie(now.fullScreen, now.masterVolume, now.musicVolume, now.effectsVolume),
            std::make_tuple(false, 30, 60, 10));

  // Mute by key: written, beside the file's own volumes rather than this run's.
  platform::ChangePlayerSettings(platform::ToggledMute(now));
  PlayerSettings read;
  ASSERT_EQ(ReadSettings(SettingsPath(), &read), SettingsRead::kLoaded);
  EXPECT_EQ(std::tie(read.muted, read.masterVolume, read.effectsVolume, read.fullScreen),
            std::make_tuple(true, 80, 100, true));
  // A volume step starts from what the player hears now, and that is what is kept.
  platform::ChangePlayerSettings(platform::SteppedVolume(platform::CurrentPlayerSettings(), 1));
  ASSERT_EQ(ReadSettings(SettingsPath(), &read), SettingsRead::kLoaded);
  EXPECT_EQ(std::tie(read.muted, read.masterVolume, read.effectsVolume),
            std::make_tuple(false, 40, 100));

  // SIGPIPE is ignored for the run only: what was there before comes back when it stops.
  StopOnDesktop();
  void (*const theirs)(int) = std::signal(SIGPIPE, SIG_DFL);
  StartOnDesktop(options);
  StopOnDesktop();
  EXPECT_EQ(std::signal(SIGPIPE, theirs), SIG_DFL);

  options.noMusic = true;
  EXPECT_TRUE(StartOnDesktop(options).sound);
  EXPECT_FALSE(StartOnDesktop(options).music);
  options.noSound = true;
  EXPECT_FALSE(StartOnDesktop(options).sound || StartOnDesktop(options).music);
}

TEST_F(PlayerFilesTest, TwoGamesChangingDifferentSettingsKeepBothAndAHandEdit) {
  const fs::path path = root_ / "config/skypop.cfg";
  ASSERT_TRUE(WriteSettings(path, PlayerSettings{}));  // both games start from this file
  ASSERT_TRUE(WriteSettings(path, {.masterVolume = 70}, kVolumeSetting));  // A: - three times
  std::ofstream(path, std::ios::app) << "# the player's note\r\n";
  ASSERT_TRUE(WriteSettings(path, {.muted = true}, kMuteSetting));  // then B: M
  PlayerSettings read;
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(std::tie(read.masterVolume, read.muted), std::make_tuple(70, true));
  EXPECT_NE(Slurp(path).find("mute = yes\n# the player's note\r\n"), std::string::npos);
}

TEST_F(PlayerFilesTest, ALostRankedScoreIsToldInOneBoxUnlessASignalEndedTheGame) {
  static std::vector<std::string> boxes;
  platform::SetMessageBoxHook([](const char* text, const char* caption) {
    boxes.push_back(std::string(caption) + ": " + text);
  });
  fs::create_directory("KIPO.INI");  // not a file: every save fails
  SetScoreFiles("KIPO.INI", nullptr);
  LoadScores();
  game.score = 5000;
  RankScore();
  SaveScores();
  TellOfLostScores(true);
  EXPECT_TRUE(boxes.empty());
  TellOfLostScores(false);
  EXPECT_EQ(boxes, std::vector<std::string>{"SKYPOP FRENZY: The new high score could not be "
                                            "saved.\n\nKIPO.INI: it is not a regular file"});
  fs::remove("KIPO.INI");
  SaveScores();  // saved at last: nothing more to tell
  TellOfLostScores(false);
  EXPECT_EQ(boxes.size(), 1u);
  platform::SetMessageBoxHook(nullptr);
}

}  // namespace

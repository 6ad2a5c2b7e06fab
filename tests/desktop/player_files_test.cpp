// The player's files: which folders the environment names, the one-time import of an older
// table, the settings file, and what the start-up keeps of a run's settings.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/player_settings.h"
#include "scores/high_scores.h"
#include "shell/desktop_start.h"
#include "shell/settings.h"
#include "shell/user_folders.h"

namespace {

using platform::PlayerSettings;

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Put(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

int Entries(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

// A scratch home and working directory; the environment and the working directory come back
// as they were.
class PlayerFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/skypop_files_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    root_ = dir;
    ASSERT_EQ(mkdir((root_ + "/home").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((root_ + "/work").c_str(), 0700), 0);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    cwd_ = cwd;
    ASSERT_EQ(chdir((root_ + "/work").c_str()), 0);
    for (const char* name : kVariables) {
      const char* value = std::getenv(name);
      saved_.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("HOME", (root_ + "/home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    platform::ResetPlayerSettings();
  }
  void TearDown() override {
    StopOnDesktop();
    platform::ResetPlayerSettings();
    ResetHighScores();
    for (size_t i = 0; i < std::size(kVariables); ++i) {
      if (saved_[i]) {
        setenv(kVariables[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
    EXPECT_EQ(chdir(cwd_.c_str()), 0);
    std::system(("rm -rf " + root_).c_str());
  }

  static constexpr const char* kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"};
  std::string root_;
  std::string cwd_;
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(PlayerFilesTest, FoldersFollowXdgWithTheHomeFolderForUnsetEmptyOrRelativeValues) {
  const std::string home = root_ + "/home";
  const struct {
    const char* value;  // null: unset
    const char* data;
    const char* config;
  } cases[] = {
      {nullptr, "/.local/share/skypop", "/.config/skypop"},
      {"", "/.local/share/skypop", "/.config/skypop"},
      {"relative/path", "/.local/share/skypop", "/.config/skypop"},
  };
  for (const auto& c : cases) {
    if (c.value == nullptr) {
      unsetenv("XDG_DATA_HOME");
      unsetenv("XDG_CONFIG_HOME");
    } else {
      setenv("XDG_DATA_HOME", c.value, 1);
      setenv("XDG_CONFIG_HOME", c.value, 1);
    }
    EXPECT_EQ(UserDataFolder(), home + c.data);
    EXPECT_EQ(UserConfigFolder(), home + c.config);
  }
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  setenv("XDG_CONFIG_HOME", "/srv/config", 1);
  EXPECT_EQ(UserDataFolder(), "/srv/data/skypop");
  EXPECT_EQ(UserConfigFolder(), "/srv/config/skypop");
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
  Put("KIPO.INI", old);
  EXPECT_EQ(ResolveScoreFiles("").importPath, "KIPO.INI");
  EXPECT_EQ(ResolveScoreFiles(".").importPath, "");  // the same file
  EXPECT_EQ(ResolveScoreFiles(root_ + "/work/").importPath, "");

  StartOnDesktop(Options{});
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9000);
  EXPECT_STREQ(highScores[0].name, "OLDTIMER  ");
  highScores[0].score = 9500;
  SaveScores();
  const std::string saved = Slurp(root_ + "/home/.local/share/skypop/KIPO.INI");
  EXPECT_EQ(saved.rfind("9500 OLDTIMER@@\n", 0), 0u) << saved;
  EXPECT_EQ(Slurp("KIPO.INI"), old);
  // From now on the per-user table is the one that counts.
  ResetHighScores();
  StartOnDesktop(Options{});
  LoadScores();
  EXPECT_EQ(highScores[0].score, 9500);
}

TEST_F(PlayerFilesTest, SettingsFileRoundTripsAndSurvivesNonsense) {
  const std::string path = root_ + "/home/deep/er/skypop.cfg";
  PlayerSettings read;
  EXPECT_EQ(ReadSettings(path, &read), SettingsRead::kMissing);
  PlayerSettings chosen;
  chosen.fullScreen = false;
  chosen.masterVolume = 70;
  chosen.musicVolume = 0;
  chosen.effectsVolume = 35;
  chosen.muted = true;
  ASSERT_TRUE(WriteSettings(path, chosen));  // creates the missing folders
  EXPECT_EQ(Entries(root_ + "/home/deep/er"), 1) << "a temporary file was left behind";
  EXPECT_EQ(Slurp(path).rfind("# ", 0), 0u);
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(read.fullScreen, false);
  EXPECT_EQ(read.masterVolume, 70);
  EXPECT_EQ(read.musicVolume, 0);
  EXPECT_EQ(read.effectsVolume, 35);
  EXPECT_EQ(read.muted, true);

  // A hand-edited file: spaces, comments, and lines that make no sense keep their defaults.
  Put(path,
      "  volume=40  \n# comment\n\nmusic-volume = loud\nfullscreen = no\ncolour = red\n"
      "effects-volume = 101\nmute\n\x01\x02garbage");
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(read.masterVolume, 40);
  EXPECT_EQ(read.musicVolume, 100);
  EXPECT_EQ(read.effectsVolume, 100);
  EXPECT_EQ(read.fullScreen, false);
  EXPECT_EQ(read.muted, false);

  // A folder where the file should be cannot be read, and is never replaced.
  const std::string blocked = root_ + "/home/blocked.cfg";
  ASSERT_EQ(mkdir(blocked.c_str(), 0700), 0);
  EXPECT_EQ(ReadSettings(blocked, &read), SettingsRead::kUnreadable);
  EXPECT_EQ(read.masterVolume, 100);
  EXPECT_FALSE(WriteSettings(blocked, chosen));
  EXPECT_EQ(Entries(root_ + "/home"), 2);  // blocked.cfg and deep/, nothing new
}

TEST_F(PlayerFilesTest, KeysChangeTheStoredSettingsButTheCommandLineOnlyThisRun) {
  setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  const std::string path = root_ + "/config/skypop/skypop.cfg";
  PlayerSettings stored;
  stored.masterVolume = 80;
  stored.musicVolume = 60;
  ASSERT_TRUE(WriteSettings(path, stored));

  Options options;
  options.fullScreen = false;
  options.volume = 30;
  options.effectsVolume = 10;
  const SoundChoice sound = StartOnDesktop(options);
  EXPECT_TRUE(sound.sound && sound.music);
  PlayerSettings now = platform::CurrentPlayerSettings();
  EXPECT_EQ(now.fullScreen, false);
  EXPECT_EQ(now.masterVolume, 30);
  EXPECT_EQ(now.musicVolume, 60);
  EXPECT_EQ(now.effectsVolume, 10);

  // Mute by key: written, with the file's own volumes rather than this run's.
  platform::ChangePlayerSettings(platform::ToggledMute(now));
  PlayerSettings read;
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_TRUE(read.muted);
  EXPECT_EQ(read.masterVolume, 80);
  EXPECT_EQ(read.effectsVolume, 100);
  EXPECT_EQ(read.fullScreen, true);
  // A volume step starts from what the player hears now, and that is what is kept.
  platform::ChangePlayerSettings(platform::SteppedVolume(platform::CurrentPlayerSettings(), 1));
  ASSERT_EQ(ReadSettings(path, &read), SettingsRead::kLoaded);
  EXPECT_EQ(read.masterVolume, 40);
  EXPECT_FALSE(read.muted);
  EXPECT_EQ(read.effectsVolume, 100);

  // No sound at all, or no music only.
  options.noMusic = true;
  EXPECT_FALSE(StartOnDesktop(options).music);
  EXPECT_TRUE(StartOnDesktop(options).sound);
  options.noSound = true;
  const SoundChoice silent = StartOnDesktop(options);
  EXPECT_FALSE(silent.sound || silent.music);
}

TEST_F(PlayerFilesTest, AnUnreadableSettingsFileIsNeverOverwritten) {
  setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  const std::string path = root_ + "/config/skypop/skypop.cfg";
  ASSERT_EQ(std::system(("mkdir -p " + path).c_str()), 0);
  testing::internal::CaptureStderr();
  StartOnDesktop(Options{});
  const std::string warning = testing::internal::GetCapturedStderr();
  EXPECT_EQ(warning.rfind("skypop: " + path + ": ", 0), 0u) << warning;
  EXPECT_NE(warning.find("default settings"), std::string::npos) << warning;
  EXPECT_EQ(platform::CurrentPlayerSettings().masterVolume, 100);
  testing::internal::CaptureStderr();
  platform::ChangePlayerSettings(platform::ToggledMute(platform::CurrentPlayerSettings()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a write was attempted";
  EXPECT_TRUE(platform::CurrentPlayerSettings().muted);  // the key still works for this run
  struct stat s {};
  ASSERT_EQ(stat(path.c_str(), &s), 0);
  EXPECT_TRUE(S_ISDIR(s.st_mode));
  EXPECT_EQ(Entries(root_ + "/config/skypop"), 1);  // skypop.cfg (a folder here) alone
}

}  // namespace

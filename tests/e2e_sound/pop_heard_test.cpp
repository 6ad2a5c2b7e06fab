// Plays the real game under Xvfb with SDL's disk audio driver: start a game with a click, wait
// for the wave, click across the playfield until balloons pop, quit with Escape, then look for
// the pop in what the game wrote to its sound output. The output also holds the music, so the
// pop is found by correlating it against the pop as the mixer itself renders it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "machine/audio.h"
#include "own_x_server.h"
#include "sound/sound_bank.h"

extern char** environ;

namespace {

constexpr int kRate = 44100;           // what the game asks for when the driver names no rate
constexpr int kTemplateFrames = 1024;  // the first 23 ms of the pop: its loud, bright part
constexpr double kMatch = 0.6;         // normalised correlation that counts as "the pop is there"

using Clock = std::chrono::steady_clock;

void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The display of the test's own X server, named once it is up.
std::string display;

// Appended in place: g++ 12 at -O2 and above warns falsely (-Wrestrict) on `a + b + c` of
// temporaries, and warnings stop the Release build.
std::string OnDisplay(const std::string& command) {
  std::string full = "DISPLAY=";
  full.append(display).append(" ").append(command);
  return full;
}

bool Shell(const std::string& command) {
  return std::system(OnDisplay(command).c_str()) == 0;
}

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(OnDisplay(command).c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  pclose(pipe);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Starts a program with the test's environment plus `extraEnv` (which replaces any variable of
// the same name), its output silenced, in `workDir`.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
            const std::string& workDir = ".") {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& extra : extraEnv) {
      replaced =
          replaced || entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1);
    }
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// A child process, reaped once; remembers how it ended.
class Child {
 public:
  Child() = default;
  explicit Child(pid_t pid) : pid_(pid) {}
  bool started() const { return pid_ > 0; }
  // True once the process has ended (looking without waiting).
  bool Ended() {
    if (pid_ > 0 && !ended_ && waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return ended_;
  }
  // True when the process ends within `ms`.
  bool WaitFor(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (!Ended() && Clock::now() < until) Sleep(50);
    return Ended();
  }
  int ExitCode() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
  void Stop() {
    if (pid_ <= 0 || Ended()) return;
    kill(pid_, SIGTERM);
    if (!WaitFor(3000)) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      ended_ = true;
    }
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

long FileSize(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 ? static_cast<long>(s.st_size) : 0;
}

void Press(const std::string& what) {  // held like a person, so a tick sees it
  Shell("xdotool " + what + "down 1");
  Sleep(70);
  Shell("xdotool " + what + "up 1");
}

// The pop's first frames, left channel, exactly as the mixer renders it at kRate.
std::vector<float> PopTemplate() {
  platform::OpenAudioDeviceWithoutOutput();
  static const char* const kNames[] = {"BANN", "HYUU"};
  OpenSoundBank(nullptr, kNames, 2);
  std::vector<float> stereo(2 * kTemplateFrames), left(kTemplateFrames);
  PlayEffect(0);
  platform::RenderAudio(stereo.data(), kTemplateFrames);
  for (int i = 0; i < kTemplateFrames; ++i)
    left[static_cast<size_t>(i)] = stereo[2 * static_cast<size_t>(i)];
  ResetSoundBank();
  platform::ResetAudio();
  return left;
}

struct Match {
  double score = 0.0;
  long frame = -1;
};

// The best normalised correlation of the template against the left channel from `from` on.
Match BestMatch(const std::vector<float>& left, const std::vector<float>& pop, long from) {
  double popEnergy = 0.0;
  for (float v : pop) popEnergy += static_cast<double>(v) * v;
  Match best;
  const long n = static_cast<long>(pop.size());
  for (long at = std::max(from, 0L); at + n <= static_cast<long>(left.size()); ++at) {
    double dot = 0.0, energy = 0.0;
    for (long i = 0; i < n; ++i) {
      const double v = left[static_cast<size_t>(at + i)];
      dot += v * pop[static_cast<size_t>(i)];
      energy += v * v;
    }
    if (energy <= 0.0) continue;
    const double score = dot / std::sqrt(energy * popEnergy);
    if (score > best.score) best = Match{score, at};
  }
  return best;
}

class PopHeardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Shell("command -v Xvfb >/dev/null && command -v xdotool >/dev/null")) {
      GTEST_SKIP() << "Xvfb and xdotool are needed";
    }
    char dirTemplate[] = "/tmp/skypop_e2e_sound_XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir_ = dirTemplate;
    ASSERT_TRUE(xvfb_.Start("640x480x24")) << xvfb_.error();
    display = xvfb_.display();
  }
  void TearDown() override {
    game_.Stop();
    xvfb_.Stop();
    display.clear();
    if (!dir_.empty()) Shell("rm -rf " + dir_);
  }

  // Starts the game in the test's own directory (it keeps its score file there), through
  // `wrapper` when one is given, and brings it to the wave; false when it never opens its window.
  bool StartGameIntoTheWave(const std::vector<std::string>& audioEnv,
                            std::vector<std::string> wrapper = {}) {
    std::vector<std::string> env = audioEnv;
    if (!xvfb_.IsOurs()) return false;
    env.push_back("DISPLAY=" + display);
    env.push_back("XDG_CONFIG_HOME=" + dir_);  // the tester's own volumes stay out of the run
    wrapper.insert(wrapper.end(), {SKYPOP_BINARY, "--data-dir", "."});
    game_ = Child(Spawn(wrapper, env, dir_));
    std::string window;
    for (int i = 0; i < 100 && window.empty() && !game_.Ended(); ++i) {
      Sleep(100);
      window = Output("xdotool search --name 'SKYPOP FRENZY' 2>/dev/null | head -1");
    }
    if (window.empty()) return false;
    // Without a window manager the window gets no focus, and an inactive game stands still.
    Shell("xdotool windowfocus " + window);
    Sleep(1000);
    // A click on the title starts a game; the wave follows after about 2 s of START.
    Shell("xdotool mousemove 240 240");
    Press("mouse");
    Sleep(2500);
    return true;
  }

  // Balloons rise from the bottom and hover between y 165 and 340: a grid 90 pixels apart
  // leaves no balloon outside the 50-pixel hit square of some click.
  static void ClickAcrossTheField(int seconds) {
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < until) {
      for (int y : {180, 270, 360}) {
        for (int x : {60, 150, 240, 330, 420}) {
          Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
          Press("mouse");
        }
      }
    }
  }

  static void PressKey(const std::string& key) {
    Shell("xdotool keydown " + key);
    Sleep(70);
    Shell("xdotool keyup " + key);
  }

  // The left channel of what the game wrote to its sound output.
  std::vector<float> LeftChannel(const std::string& raw) const {
    std::vector<float> stereo(static_cast<size_t>(FileSize(raw)) / sizeof(float));
    FILE* file = std::fopen(raw.c_str(), "rb");
    if (file == nullptr) return {};
    const size_t got = std::fread(stereo.data(), sizeof(float), stereo.size(), file);
    std::fclose(file);
    std::vector<float> left(got / 2);
    for (size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
    return left;
  }

  // Escape ends the game; true when it then exits with code 0.
  bool QuitCleanly() {
    Shell("xdotool keydown Escape");
    Sleep(70);
    Shell("xdotool keyup Escape");
    return game_.WaitFor(10000) && game_.ExitCode() == 0;
  }

  std::string dir_;
  e2e::OwnXServer xvfb_;
  Child game_;
};

constexpr const char* kNoWave =
    "the game did not open its window (the shell, display or flow are not in this build yet), "
    "so it cannot reach a wave";

TEST_F(PopHeardTest, ClickingBalloonsDuringTheWavePutsThePopIntoTheSoundOutput) {
  const std::string raw = dir_ + "/out.raw";
  if (!StartGameIntoTheWave({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw})) {
    GTEST_SKIP() << kNoWave;
  }
  ASSERT_FALSE(game_.Ended()) << "the game ended on its own";
  const long waveStart = FileSize(raw) / 8;  // frames written before the first click at a balloon
  ClickAcrossTheField(20);
  EXPECT_TRUE(QuitCleanly()) << "the game did not end cleanly on Escape";

  const std::vector<float> left = LeftChannel(raw);
  ASSERT_GT(left.size(), static_cast<size_t>(5 * kRate)) << "too little sound output";

  const std::vector<float> pop = PopTemplate();
  const Match beforeWave =
      BestMatch(std::vector<float>(left.begin(), left.begin() + waveStart), pop, 0);
  const Match inWave = BestMatch(left, pop, waveStart);
  std::printf("best pop match before the wave %.3f, in the wave %.3f at %.2f s\n", beforeWave.score,
              inWave.score, static_cast<double>(inWave.frame) / kRate);
  EXPECT_LT(beforeWave.score, kMatch)
      << "a pop before anything was clicked, at frame " << beforeWave.frame;
  EXPECT_GE(inWave.score, kMatch) << "no pop in the output; best match " << inWave.score
                                  << " at frame " << inWave.frame;
}

TEST_F(PopHeardTest, TheBuiltGamePlaysItsMusicWithTheSystemSoundfontsHidden) {
  if (!Shell("unshare -m true 2>/dev/null")) GTEST_SKIP() << "no mount namespace (run as root)";
  // A mount namespace of the game's own, with an empty folder over every system soundfont folder.
  constexpr const char* kHide =
      "for d in /usr/share/sounds/sf2 /usr/share/sounds/sf3 /usr/share/soundfonts; do"
      " [ ! -d $d ] || mount --bind \"$0\" $d || exit 97; done; exec \"$@\"";
  const std::string raw = dir_ + "/out.raw";
  if (!StartGameIntoTheWave({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw},
                            {"unshare", "-m", "sh", "-c", kHide, dir_})) {
    ASSERT_NE(game_.ExitCode(), 97) << "the system soundfonts could not be hidden";
    GTEST_SKIP() << kNoWave;
  }
  const long waveStart = FileSize(raw) / 8;
  Sleep(5000);  // nothing is clicked: whatever sounds now is the wave's song
  EXPECT_TRUE(QuitCleanly()) << "the game did not end cleanly on Escape";
  const std::vector<float> left = LeftChannel(raw);
  ASSERT_GT(static_cast<long>(left.size()), waveStart + 4 * kRate) << "too little sound output";
  float loudest = 0.0f;
  for (size_t i = static_cast<size_t>(waveStart); i < left.size(); ++i) {
    loudest = std::max(loudest, std::fabs(left[i]));
  }
  EXPECT_GT(loudest, 0.01f) << "no music during the wave";
}

TEST_F(PopHeardTest, WithoutAnAudioDeviceTheGamePlaysOnSilently) {
  // A driver that does not exist fails like a machine without a sound card.
  if (!StartGameIntoTheWave({"SDL_AUDIODRIVER=no-such-driver"})) GTEST_SKIP() << kNoWave;
  ClickAcrossTheField(6);
  EXPECT_FALSE(game_.Ended()) << "the game ended on its own";
  EXPECT_TRUE(QuitCleanly()) << "the game did not end cleanly on Escape";
}

TEST_F(PopHeardTest, TheMuteKeySilencesPopsAndMusicAndBringsThemBack) {
  const std::string raw = dir_ + "/out.raw";
  if (!StartGameIntoTheWave({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw})) {
    GTEST_SKIP() << kNoWave;
  }
  PressKey("m");
  Sleep(300);  // what was already on its way to the device
  const long mutedFrom = FileSize(raw) / 8;
  ClickAcrossTheField(8);
  const long mutedTo = FileSize(raw) / 8;
  PressKey("m");
  Sleep(300);
  const long unmutedFrom = FileSize(raw) / 8;
  ClickAcrossTheField(10);
  EXPECT_TRUE(QuitCleanly()) << "the game did not end cleanly on Escape";

  const std::vector<float> left = LeftChannel(raw);
  ASSERT_GT(static_cast<long>(left.size()), unmutedFrom + 5 * kRate) << "too little sound output";
  float loudestMuted = 0.0f;
  for (long i = mutedFrom; i < mutedTo; ++i) {
    loudestMuted = std::max(loudestMuted, std::fabs(left[static_cast<size_t>(i)]));
  }
  EXPECT_EQ(loudestMuted, 0.0f) << "sound while muted";
  EXPECT_GT(mutedTo - mutedFrom, 5 * kRate);
  const Match afterUnmute = BestMatch(left, PopTemplate(), unmutedFrom);
  EXPECT_GE(afterUnmute.score, kMatch) << "no pop after unmuting; best " << afterUnmute.score;
  // Muted and unmuted again: that is what the settings file keeps.
  EXPECT_TRUE(Shell("grep -qx 'mute = no' " + dir_ + "/skypop/skypop.cfg"));
}

}  // namespace

#include "x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace e2e {
namespace {

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Holding for 60 ms spans at least two 16.6 ms ticks, so the game's per-tick sampling sees it.
constexpr int kHoldMs = 60;

}  // namespace

bool ToolsAvailable(std::string* missing) {
  for (const char* tool : {"Xvfb", "xdotool", "import"}) {
    const std::string probe = std::string("command -v ") + tool + " >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) {
      *missing = tool;
      return false;
    }
  }
  return true;
}

XSession::~XSession() {
  if (game_ > 0) {
    kill(game_, SIGKILL);
    waitpid(game_, nullptr, 0);
  }
  screen_.Stop();
  if (!workDir_.empty()) Run("rm -rf '" + workDir_ + "'");
}

int XSession::Run(const std::string& command, std::string* output) {
  // Appended in place: g++ 12 at -O2 and above warns falsely (-Wrestrict) on `a + b + c` of
  // temporaries here, and warnings stop the Release build.
  std::string full = "DISPLAY=";
  full.append(display_).append(" ").append(command);
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
    if (output != nullptr) *output += buffer;
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool XSession::StartScreen() {
  if (!screen_.Start("640x480x24")) {
    error_ = screen_.error();
    return false;
  }
  display_ = screen_.display();
  return true;
}

bool XSession::StartGame(const std::string& binary) {
  char dir[] = "/tmp/skypop_e2e_XXXXXX";
  if (mkdtemp(dir) == nullptr) return false;
  workDir_ = dir;
  game_ = fork();
  if (game_ == 0) {
    if (chdir(dir) != 0) _exit(127);
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CONFIG_HOME", dir, 1);  // the tester's own settings stay out of the run
    const int log = open("game.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, 1);
    dup2(log, 2);
    execl(binary.c_str(), binary.c_str(), "--data-dir", ".", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (!screen_.IsOurs()) {
    error_ = "the X server on " + display_ + " is no longer the one this test started";
    return false;
  }
  std::string found;
  Run("timeout 15 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$'", &found);
  window_ = found.substr(0, found.find('\n'));
  if (window_.empty()) {
    error_ = "no visible window named SKYPOP FRENZY";
    return false;
  }
  return true;
}

bool XSession::Focus() {
  // Without a window manager nothing hands the new window the keyboard.
  const bool ok = Run("xdotool windowfocus --sync " + window_) == 0;
  SleepMs(300);
  return ok;
}

void XSession::MoveMouse(int x, int y) {
  Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
}

void XSession::Click() {
  Run("xdotool mousedown 1");
  SleepMs(kHoldMs);
  Run("xdotool mouseup 1");
}

void XSession::Tap() {
  Run("xdotool click 1");
}

void XSession::PressKey(const std::string& key) {
  Run("xdotool keydown " + key);
  SleepMs(kHoldMs);
  Run("xdotool keyup " + key);
}

bool XSession::Capture(Screenshot* shot) {
  const std::string path = workDir_ + "/shot.ppm";
  if (Run("import -window root -depth 8 'ppm:" + path + "'") != 0) return false;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic >> shot->width >> shot->height >> maxValue;
  in.get();
  if (magic != "P6" || maxValue != 255) return false;
  shot->rgb.resize(static_cast<size_t>(shot->width) * shot->height * 3);
  in.read(reinterpret_cast<char*>(shot->rgb.data()),
          static_cast<std::streamsize>(shot->rgb.size()));
  return static_cast<bool>(in);
}

int XSession::WaitForExit(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    int status = 0;
    if (waitpid(game_, &status, WNOHANG) == game_) {
      game_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    SleepMs(50);
  }
  return -1;
}

}  // namespace e2e

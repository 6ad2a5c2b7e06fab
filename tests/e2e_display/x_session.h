// A virtual X screen with the real game on it, driven as a person would: the pointer moved,
// buttons and keys held for a moment, the screen read back as RGB pixels.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "own_x_server.h"

namespace e2e {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3
  uint32_t At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
  }
};

class XSession {
 public:
  ~XSession();
  // Starts a 640 x 480 Xvfb screen; false (with the reason in error()) when it cannot.
  bool StartScreen();
  // Starts the game in an empty working directory on that screen and waits for its window.
  bool StartGame(const std::string& binary);
  // Gives the game's window the keyboard, as a window manager would.
  bool Focus();
  void MoveMouse(int x, int y);
  // Holds the left button for about two game ticks, then lets go.
  void Click();
  // Presses and lets go at once, as a touchpad's tap does (xdotool click).
  void Tap();
  // Holds a key (an X keysym name) for about two game ticks.
  void PressKey(const std::string& key);
  bool Capture(Screenshot* shot);
  // Waits up to timeoutMs for the game to end; its exit code, or -1 if it did not end.
  int WaitForExit(int timeoutMs);
  const std::string& error() const { return error_; }

 private:
  int Run(const std::string& command, std::string* output = nullptr);

  OwnXServer screen_;
  pid_t game_ = -1;
  std::string display_;
  std::string workDir_;
  std::string window_;
  std::string error_;
};

// Whether the programs the session needs are installed.
bool ToolsAvailable(std::string* missing);

}  // namespace e2e

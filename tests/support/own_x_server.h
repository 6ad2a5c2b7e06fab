// An Xvfb screen that belongs to one test: the server picks a free display number itself
// (-displayfd), so parallel runs never share one, and the test can check that the server
// answering on that number is still the process it started, not another run's.
#pragma once

#include <sys/types.h>

#include <string>

namespace e2e {

class OwnXServer {
 public:
  ~OwnXServer() { Stop(); }
  // Starts Xvfb with one screen of `screen` (e.g. "640x480x24"); false, with the reason in
  // error(), when it does not come up.
  bool Start(const char* screen);
  // True while the server started here is alive and is the one listening on its display.
  bool IsOurs() const;
  // Ends the server with SIGTERM (SIGKILL would leave its lock file behind) and reaps it.
  void Stop();
  const std::string& display() const { return display_; }  // ":N"
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  int number_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace e2e

#include "own_x_server.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {
namespace {

constexpr int kStartTimeoutMs = 10000;

// Strings built by appending in place: g++ 12 at -O2 and above warns falsely (-Wrestrict) on
// `a + b` of temporaries, and warnings stop the Release build.
std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (std::string_view part : parts) joined.append(part);
  return joined;
}

}  // namespace

bool OwnXServer::Start(const char* screen) {
  Stop();
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "no pipe for Xvfb";
    return false;
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 3);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[16] = {};
  pollfd wait{fds[0], POLLIN, 0};
  const ssize_t n = poll(&wait, 1, kStartTimeoutMs) == 1 ? read(fds[0], number, 15) : -1;
  close(fds[0]);
  if (pid_ < 0 || n <= 0) {
    error_ = "Xvfb did not report a display";
    Stop();
    return false;
  }
  number_ = std::atoi(number);
  display_ = Joined({":", std::to_string(number_)});
  if (!IsOurs()) {
    error_ = Joined({"the server on ", display_, " is not the one this test started"});
    Stop();
    return false;
  }
  return true;
}

bool OwnXServer::IsOurs() const {
  if (pid_ <= 0 || number_ < 0 || kill(pid_, 0) != 0) return false;
  // The display's listening sockets (path and abstract) must be open in our server's process.
  // Lock files are no proof: Xvfb started with -displayfd leaves none here.
  const std::string path = Joined({"/tmp/.X11-unix/X", std::to_string(number_)});
  std::ifstream table("/proc/net/unix");
  std::string line;
  std::vector<std::string> sockets;
  while (std::getline(table, line)) {
    const size_t name = line.rfind(' ');
    if (name == std::string::npos) continue;
    const std::string socketPath = line.substr(name + 1);
    if (socketPath != path && socketPath != Joined({"@", path})) continue;
    const size_t inode = line.rfind(' ', name - 1);
    sockets.push_back(Joined({"socket:[", line.substr(inode + 1, name - inode - 1), "]"}));
  }
  if (sockets.empty()) return false;
  const std::string fds = Joined({"/proc/", std::to_string(pid_), "/fd"});
  DIR* dir = opendir(fds.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    char target[64] = {};
    const std::string link = Joined({fds, "/", entry->d_name});
    if (readlink(link.c_str(), target, sizeof target - 1) <= 0) continue;
    for (const std::string& socket : sockets) found = found || socket == target;
  }
  closedir(dir);
  return found;
}

void OwnXServer::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
  number_ = -1;
  display_.clear();
}

}  // namespace e2e

// The running program's folder on Linux: the kernel keeps a link to the executable, resolved
// whichever way the program was started (a relative path, the PATH, a link to it).
#include "host/program_folder.h"

#include <unistd.h>

#include <array>

namespace platform {

std::string ProgramFolder() {
  std::array<char, 4096> path;
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return "";
  const std::string program(path.data(), static_cast<size_t>(length));
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : program.substr(0, slash);
}

}  // namespace platform

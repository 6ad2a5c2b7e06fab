// Where a Windows program starts: Windows hands the command line over in UTF-16 (wmain, linked
// with -municode), the game reads it in UTF-8 like every other text it has. A program linked for
// the GUI has no console of its own: the one it was started from, if any, takes its standard
// output and error, so --help, --version and the one-line messages reach the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "hosts/windows/windows_api.h"

// The desktop program's own main(), under its link name: C++ lets no function call main by name.
extern "C" int SkypopProgramMain(int argc, char** argv) __asm__("main");

namespace {

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Streams the parent already gave us (a pipe, a file: `skypop --help > help.txt`, a test) are
// kept; the others go to the parent's console when it has one.
void ConnectStandardStreams() {
  const bool out = Usable(GetStdHandle(STD_OUTPUT_HANDLE));
  const bool err = Usable(GetStdHandle(STD_ERROR_HANDLE));
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out && std::freopen("CONOUT$", "w", stdout) != nullptr) setvbuf(stdout, nullptr, _IONBF, 0);
  if (!err && std::freopen("CONOUT$", "w", stderr) != nullptr) setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ConnectStandardStreams();
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::Utf8(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return SkypopProgramMain(argc, pointers.data());
}

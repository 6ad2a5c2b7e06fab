// The running program's folder on Windows, from the module's own file name: wherever the player
// unzipped the game, in UTF-8 with forward slashes as the host's other paths.
#include "host/program_folder.h"

#include <algorithm>

#include "hosts/windows/windows_api.h"

namespace platform {

std::string ProgramFolder() {
  // Paths may be longer than MAX_PATH where the system allows it: the buffer grows until the name
  // fits (GetModuleFileNameW cuts it short, filling the buffer, when it does not).
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
  // A program started by its long form ("\\?\C:\Games\skypop.exe") is named that way.
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\\\" + path.substr(8);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  std::string folder = Utf8(path.c_str());
  std::replace(folder.begin(), folder.end(), '\\', '/');
  const size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return "";
  // A drive's root keeps its separator ("C:/"): "C:" alone is that drive's working directory.
  return slash == 2 && folder[1] == ':' ? folder.substr(0, 3) : folder.substr(0, slash);
}

}  // namespace platform

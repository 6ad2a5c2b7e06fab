// The player's folders on Windows: %APPDATA%/skypop (the roaming application data, which follows
// the player from machine to machine in a domain) for both the table and the settings, written
// with the forward slashes the game joins its file names with.
#include <algorithm>

#include "hosts/windows/windows_files.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace platform {
namespace {

// From the known folder, else the variable, else the working directory.
std::string RoamingFolder() {
  PWSTR known = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known))) {
    folder = Utf8(known);
  }
  CoTaskMemFree(known);
  if (folder.empty()) {
    wchar_t variable[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", variable, MAX_PATH * 4);
    if (length > 0 && length < MAX_PATH * 4) folder = Utf8(variable);
  }
  if (folder.empty()) return ".";
  std::replace(folder.begin(), folder.end(), '\\', '/');
  while (folder.size() > 3 && folder.back() == '/') folder.pop_back();
  return folder + "/skypop";
}

}  // namespace

std::string UserDataFolder() {
  return RoamingFolder();
}

std::string UserConfigFolder() {
  return RoamingFolder();
}

}  // namespace platform

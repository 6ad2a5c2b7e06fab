// What the Windows host's file code shares between its files: paths and errors at the API, and
// what a handle says about links and owners. Only src/hosts/windows/ sees it.
#pragma once

#include <string>

#include "host/user_files.h"
#include "hosts/windows/windows_api.h"

namespace platform {

// Files are opened sharing read, write and delete, so a reader never blocks another game's rename,
// and an antivirus holding a file a moment only delays a rename, never fails it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A host error code of our own, beside Win32's (all positive) and the shared ones.
constexpr int kLinkElsewhere = -101;  // a link to another drive or share

// GetLastError as a host error code, never 0.
int LastError();
// A path as the API takes it: UTF-16, with Windows' own separators.
std::wstring ApiPath(const std::string& path);

// The reparse tag of an open file or folder (opened with FILE_FLAG_OPEN_REPARSE_POINT, the name
// itself); 0 when it is no reparse point.
DWORD ReparseTagOf(HANDLE file);
// A reparse point that stands for another name: a symbolic link, a junction (a mount point), a
// WSL link. Other reparse points (a cloud file's placeholder, a deduplicated file) are files.
bool IsLinkTag(DWORD tag);
// Is the open file or link owned by the player running the game, or by what Windows has in place
// of root: the Administrators group (the owner of what an elevated administrator makes) or SYSTEM?
// Only those could have made it, and they could do anything to the player's files anyway.
bool TrustedOwner(HANDLE file);

}  // namespace platform

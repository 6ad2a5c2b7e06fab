// Links on Windows: symbolic links and junctions are reparse points, read from their reparse data
// (ReadLink gives the target relative to the link's folder, as the game's code joins it), and the
// owner of a file or link, which decides whether the game may follow a link at all.
#include "hosts/windows/windows_files.h"
// After <windows.h>, which they need.
#include <aclapi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// The start of a link's reparse data (winioctl's REPARSE_DATA_BUFFER, which only the driver kit
// declares). A symbolic link has a flags word after the four name fields, a junction has none;
// the names follow, UTF-16, at the offsets given.
struct LinkReparse {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
};

// "C:" or "\\server\share" at the start of an absolute path, and where the names begin.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return 2;
  if (path.rfind(L"\\\\", 0) == 0) {
    size_t at = path.find(L'\\', 2);
    if (at != std::wstring::npos) at = path.find(L'\\', at + 1);
    return at == std::wstring::npos ? path.size() : at;
  }
  return 0;
}

// An absolute target as a path relative to the link's own folder, which the game's code joins
// the way it joins a relative link: "../" up to the root, then down to the target.
int RelativeToLink(const std::wstring& link, const std::wstring& target, std::wstring* out) {
  wchar_t full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(link.c_str(), MAX_PATH * 4, full, nullptr);
  if (length == 0 || length >= MAX_PATH * 4) return LastError();
  const std::wstring linkPath(full, length);
  const size_t linkRoot = RootLength(linkPath);
  const size_t targetRoot = RootLength(target);
  if (linkRoot == 0 || targetRoot != linkRoot ||
      CompareStringOrdinal(linkPath.c_str(), static_cast<int>(linkRoot), target.c_str(),
                           static_cast<int>(targetRoot), TRUE) != CSTR_EQUAL) {
    return kLinkElsewhere;
  }
  out->clear();
  // Every name between the root and the link's own name is one folder to climb.
  for (size_t at = linkRoot + 1; at < linkPath.size(); ++at) {
    if (linkPath[at] == L'\\') *out += L"..\\";
  }
  *out += target.substr(std::min(target.size(), targetRoot + 1));
  return 0;
}

// The target of the symbolic link or junction open as `link` (at `path`).
int ReadLinkData(HANDLE link, DWORD tag, const std::wstring& path, std::string* target) {
  std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD size = 0;
  if (!DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &size, nullptr)) {
    return LastError();
  }
  LinkReparse head;
  const bool symlink = tag == IO_REPARSE_TAG_SYMLINK;
  const size_t names = sizeof head + (symlink ? sizeof(DWORD) : 0);
  if (size < names) return static_cast<int>(ERROR_INVALID_REPARSE_DATA);
  std::memcpy(&head, data.data(), sizeof head);
  DWORD flags = 0;
  if (symlink) std::memcpy(&flags, data.data() + sizeof head, sizeof flags);
  auto name = [&](WORD offset, WORD bytes) {
    if (names + offset + bytes > size) return std::wstring();
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data() + names + offset, bytes);
    return text;
  };
  std::wstring written = name(head.printOffset, head.printLength);
  if (written.empty()) {
    written = name(head.substituteOffset, head.substituteLength);
    if (written.rfind(L"\\??\\UNC\\", 0) == 0) {
      written = L"\\\\" + written.substr(8);
    } else if (written.rfind(L"\\??\\", 0) == 0) {
      written = written.substr(4);
    }
  }
  if (written.empty()) return static_cast<int>(ERROR_INVALID_REPARSE_DATA);
  if (!symlink || (flags & SYMLINK_FLAG_RELATIVE) == 0) {  // a junction's target is absolute
    std::wstring relative;
    const int error = RelativeToLink(path, written, &relative);
    if (error != 0) return error;
    written = relative;
  }
  *target = Utf8(written.c_str());
  std::replace(target->begin(), target->end(), '\\', '/');
  return 0;
}

}  // namespace

DWORD ReparseTagOf(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &info, sizeof info)) return 0;
  return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? info.ReparseTag : 0;
}

bool IsLinkTag(DWORD tag) {
  return tag != 0 && IsReparseTagNameSurrogate(tag);
}

bool TrustedOwner(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool trusted = owner != nullptr && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                      IsWellKnownSid(owner, WinLocalSystemSid));
  HANDLE token = nullptr;
  if (!trusted && owner != nullptr && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    alignas(TOKEN_USER) BYTE user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &size)) {
      trusted = EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) != 0;
    }
    CloseHandle(token);
  }
  LocalFree(descriptor);
  return trusted;
}

int ReadLink(const std::string& path, std::string* target) {
  target->clear();
  const std::wstring wide = ApiPath(path);
  HANDLE link = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (link == INVALID_HANDLE_VALUE) {
    const int error = LastError();
    return IsMissingError(error) ? 0 : error;
  }
  const DWORD tag = ReparseTagOf(link);
  int error = 0;
  if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT) {
    error = ReadLinkData(link, tag, wide, target);
  } else if (IsLinkTag(tag)) {
    error = static_cast<int>(ERROR_NOT_SUPPORTED);  // a link Windows itself cannot follow
  }
  CloseHandle(link);
  if (error != 0) target->clear();
  return error;
}

}  // namespace platform

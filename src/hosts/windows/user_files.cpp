// The player's folders and files on Windows: %APPDATA%/skypop for the table and the settings, and
// the file operations of host/user_files.h on Win32. Paths are UTF-8 inside the game (either slash
// between names) and UTF-16 at the API. What each operation guarantees:
//  - nothing is written through a link: creates are exclusive (CREATE_NEW), rewrites open the name
//    itself (FILE_FLAG_OPEN_REPARSE_POINT) and refuse a link;
//  - a symbolic link the player owns is followed, as on Linux (ReadLink gives its target, relative
//    to the link's folder); one owned by another user, or one to another drive, is refused;
//  - a replacement is flushed (FlushFileBuffers) before it is renamed over the old file in one
//    step (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, which returns once
//    the rename itself is on the disk);
//  - two games saving in one folder take turns through LockFileEx on a lock file there, waited for
//    up to kLockWaitMs;
//  - files are opened sharing read, write and delete, so a reader never blocks another game's
//    rename, and an antivirus holding a file a moment only delays a rename, never fails it.
#include "host/user_files.h"

#include "hosts/windows/windows_api.h"
// After <windows.h>, which they need.
#include <aclapi.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

// Host error codes of our own, beside Win32's (all positive) and kNotAPlainFile.
constexpr int kForeignLink = -100;    // a link another user owns
constexpr int kLinkElsewhere = -101;  // a link to another drive or share
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLockWaitMs = 10000;
constexpr DWORD kLockRetryMs = 50;
constexpr int kRenameTries = 10;
constexpr DWORD kRenameRetryMs = 20;
constexpr wchar_t kLockFileName[] = L"\\skypop.lock";

int LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// A path as the API takes it: UTF-16, with Windows' own separators.
std::wstring ApiPath(const std::string& path) {
  std::wstring wide = Wide(path);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

HANDLE Handle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

std::string ParentOf(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;  // "a/b/" is "a/b"
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  if (end == 0) return ".";
  const std::string parent = path.substr(0, end);
  // A root keeps its separator ("C:/", "/"); anything else loses it.
  if (end == 1 || (end == 3 && path[1] == ':')) return parent;
  return parent.substr(0, end - 1);
}

bool IsLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// The reparse tag of the name itself (links not followed); 0 when it is none or not there.
DWORD LinkTagOf(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? found.dwReserved0 : 0;
}

// Is the open file (or link) owned by the player running the game? A file the player made while
// elevated belongs to the Administrators group, which counts when the player is one of them.
bool OwnedByPlayer(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool ours = false;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    alignas(TOKEN_USER) BYTE user[256];
    DWORD size = 0;
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &size)) {
      ours = EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) != 0;
    }
    CloseHandle(token);
  }
  if (!ours && IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) {
    BOOL member = FALSE;
    ours = CheckTokenMembership(nullptr, owner, &member) && member;
  }
  LocalFree(descriptor);
  return ours;
}

// The start of a symbolic link's reparse data (winioctl's REPARSE_DATA_BUFFER, which only the
// driver kit declares).
struct SymlinkReparse {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
  DWORD flags;
  // the names follow, UTF-16, at the offsets above
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

int ReadSymlink(HANDLE link, const std::wstring& path, std::string* target) {
  std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD size = 0;
  if (!DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &size, nullptr)) {
    return LastError();
  }
  SymlinkReparse head;
  if (size < sizeof head) return static_cast<int>(ERROR_INVALID_REPARSE_DATA);
  std::memcpy(&head, data.data(), sizeof head);
  const size_t names = sizeof head;
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
  if ((head.flags & SYMLINK_FLAG_RELATIVE) == 0) {
    std::wstring relative;
    const int error = RelativeToLink(path, written, &relative);
    if (error != 0) return error;
    written = relative;
  }
  *target = Utf8(written.c_str());
  for (char& c : *target) {
    if (c == '\\') c = '/';
  }
  return 0;
}

bool GetInfo(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(file, info) != 0;
}

bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileType(file) == FILE_TYPE_DISK && GetInfo(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// "%APPDATA%/skypop", from the known folder, else the variable, else the working directory.
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
  // One separator throughout, the one the game joins its file names with.
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
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

bool IsMissingError(int error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsRefusedError(int error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

std::string DescribeFileError(int error) {
  if (error == kNotAPlainFile) return "it is not a regular file";
  if (error == kForeignLink) return "it is a link that another user owns";
  if (error == kLinkElsewhere) return "it is a link to another drive";
  wchar_t text[512] = L"";
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(error), 0, text, 512, nullptr);
  std::string words = length > 0 ? Utf8(text) : "error " + std::to_string(error);
  // Windows ends its messages with a full stop and a line break; a message line has its own end.
  while (!words.empty() && (words.back() == '.' || words.back() == '\n' || words.back() == '\r' ||
                            words.back() == ' ')) {
    words.pop_back();
  }
  return words;
}

int ReadLink(const std::string& path, std::string* target) {
  target->clear();
  const std::wstring wide = ApiPath(path);
  const DWORD tag = LinkTagOf(wide);
  if (!IsLinkTag(tag)) return 0;
  HANDLE link = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll, nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (link == INVALID_HANDLE_VALUE) return LastError();
  int error = 0;
  if (!OwnedByPlayer(link)) {
    error = kForeignLink;
  } else if (tag == IO_REPARSE_TAG_SYMLINK) {
    error = ReadSymlink(link, wide, target);
  } else {
    error = kNotAPlainFile;  // a junction: a folder, whatever its name says
  }
  CloseHandle(link);
  if (error != 0) target->clear();
  return error;
}

int LookAtFile(const std::string& path, FileFacts* facts) {
  *facts = FileFacts{};
  const std::wstring wide = ApiPath(path);
  HANDLE file = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const int error = LastError();
    return IsMissingError(error) ? 0 : error;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetInfo(file, &info);
  facts->exists = true;
  facts->regular = known && IsPlainFile(file);
  CloseHandle(file);
  if (!known) return LastError();
  facts->permissions = info.dwFileAttributes;
  if (facts->regular && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0) {
    // The player may write it unless its permissions say otherwise; a file another program
    // has open is still writable.
    HANDLE probe = CreateFileW(wide.c_str(), FILE_WRITE_DATA, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    facts->writable = probe != INVALID_HANDLE_VALUE || GetLastError() == ERROR_SHARING_VIOLATION;
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  }
  return 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::string* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    HANDLE file = CreateFileW(ApiPath(*paths[i]).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetInfo(file, &info[i]);
    CloseHandle(file);
    if (!known) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The per-user data folder may not exist on a first run.
int MakeFolders(const std::string& folder) {
  const std::wstring wide = ApiPath(folder);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : static_cast<int>(ERROR_DIRECTORY);
  }
  const int missing = LastError();
  if (!IsMissingError(missing)) return missing;
  const std::string parent = ParentOf(folder);
  if (parent.size() < folder.size()) {
    const int error = MakeFolders(parent);
    if (error != 0) return error;
  }
  return CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS
             ? 0
             : LastError();
}

FileHandle LockFolder(const std::string& folder) {
  const std::wstring path = ApiPath(folder) + kLockFileName;
  HANDLE lock =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (lock == INVALID_HANDLE_VALUE) return kNoFile;
  // A link planted under the lock file's name is not ours to lock.
  if (!IsPlainFile(lock) || IsLinkTag(LinkTagOf(path))) {
    CloseHandle(lock);
    return kNoFile;
  }
  // Tried at once, then again every kLockRetryMs: the other game holds it for one save only.
  for (DWORD waited = 0;; waited += kLockRetryMs) {
    OVERLAPPED at{};
    if (LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      return FromHandle(lock);
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION || waited >= kLockWaitMs) break;
    Sleep(kLockRetryMs);
  }
  CloseHandle(lock);
  return kNoFile;
}

void UnlockFolder(FileHandle lock) {
  if (lock == kNoFile) return;
  OVERLAPPED at{};
  UnlockFileEx(Handle(lock), 0, 1, 0, &at);
  CloseHandle(Handle(lock));
}

// Windows cannot flush a folder; the rename was written through (see RenameFile) instead.
void SyncFolder(const std::string&) {}

int ReadWholeFile(const std::string& path, size_t limit, std::string* text, bool* truncated) {
  text->clear();
  *truncated = false;
  HANDLE file = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  if (!IsPlainFile(file)) {
    CloseHandle(file);
    return kNotAPlainFile;
  }
  char block[4096];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, block, sizeof block, &n, nullptr)) {
      const int error = LastError();
      CloseHandle(file);
      return error;
    }
    if (n == 0) break;
    const size_t room = limit - text->size();
    text->append(block, n < room ? n : room);
    if (n > room) {
      *truncated = true;
      break;
    }
  }
  CloseHandle(file);
  return 0;
}

int CreateNewFile(const std::string& path, uint32_t permissions, FileHandle* file) {
  const DWORD attributes =
      (permissions & 0200) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
  HANDLE created = CreateFileW(ApiPath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                               attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  *file = FromHandle(created);
  return created == INVALID_HANDLE_VALUE ? LastError() : 0;
}

int OpenForRewriting(const std::string& path, FileHandle* file) {
  *file = kNoFile;
  const std::wstring wide = ApiPath(path);
  HANDLE opened = CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return LastError();
  if (!IsPlainFile(opened) || IsLinkTag(LinkTagOf(wide))) {
    CloseHandle(opened);
    return kNotAPlainFile;
  }
  *file = FromHandle(opened);
  return 0;
}

int WriteWholeFile(FileHandle file, const std::string& text) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN)) return LastError();
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(Handle(file), text.data() + done, chunk, &n, nullptr)) return LastError();
    if (n == 0) return static_cast<int>(ERROR_WRITE_FAULT);
    done += n;
  }
  return SetEndOfFile(Handle(file)) ? 0 : LastError();
}

// The replacement keeps the attributes a player may have given the file (hidden, not indexed);
// read-only files are never replaced, and Windows has no owner to hand over.
int CopyPermissions(FileHandle file, const FileFacts& like) {
  constexpr DWORD kKept =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD kept = like.permissions & kKept;
  if (kept == 0) return 0;
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = kept | FILE_ATTRIBUTE_ARCHIVE;
  return SetFileInformationByHandle(Handle(file), FileBasicInfo, &basic, sizeof basic)
             ? 0
             : LastError();
}

int SyncAndClose(FileHandle file) {
  const int error = FlushFileBuffers(Handle(file)) ? 0 : LastError();
  const bool closed = CloseHandle(Handle(file)) != 0;
  return error != 0 ? error : closed ? 0 : LastError();
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(Handle(file));
}

int RenameFile(const std::string& from, const std::string& to) {
  const std::wstring source = ApiPath(from);
  const std::wstring destination = ApiPath(to);
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(source.c_str(), destination.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return 0;
    }
    const int error = LastError();
    // A virus scanner or indexer may hold the old file for a moment.
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        attempt == kRenameTries) {
      return error;
    }
    Sleep(kRenameRetryMs);
  }
}

int RemoveFile(const std::string& path) {
  if (DeleteFileW(ApiPath(path).c_str())) return 0;
  const int error = LastError();
  return IsMissingError(error) ? 0 : error;
}

}  // namespace platform

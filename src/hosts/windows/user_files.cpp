// The file operations of host/user_files.h on Win32. Paths are UTF-8 inside the game (either slash
// between names) and UTF-16 at the API. What each operation guarantees:
//  - nothing is read or written through a link at the name: every open of the player's files opens
//    the name itself (FILE_FLAG_OPEN_REPARSE_POINT) and refuses a symbolic link or a junction
//    (kIsALink); creates are exclusive (CREATE_NEW), so they never follow one either;
//  - the facts of a name or an open file say whether it is a link and whether its owner is the
//    player or an administrator (file_links.cpp), which is what the game's rules decide on;
//  - a replacement is flushed (FlushFileBuffers) before it is renamed over the old file in one
//    step (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, which returns once
//    the rename itself is on the disk, and replaces a link at the name rather than its target);
//  - two games saving in one folder take turns through LockFileEx on a hidden lock file there.
// FileFacts::permissions holds POSIX-like bits (0666, or 0444 for a read-only file), which is what
// the game's code reasons with, and above them the attributes a replacement keeps.
#include "host/user_files.h"

#include <algorithm>
#include <string>

#include "hosts/windows/windows_files.h"

namespace platform {
namespace {

constexpr wchar_t kLockFileName[] = L"\\skypop.lock";
// Between two tries of a held lock: short enough to take it soon after it is let go.
constexpr ULONGLONG kLockRetryMs = 20;
constexpr int kRenameTries = 10;
constexpr DWORD kRenameRetryMs = 20;
// The attributes a player may have given the file (hidden, not indexed), kept by a replacement;
// in FileFacts::permissions they sit above the POSIX-like bits.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr int kKeptShift = 16;

HANDLE Handle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
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

bool IsPlainFile(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileType(file) == FILE_TYPE_DISK &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !IsLinkTag(ReparseTagOf(file));
}

// The facts an open handle gives; `writable` needs the name and is left to the caller.
int Describe(HANDLE file, FileFacts* facts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return LastError();
  facts->exists = true;
  facts->link = IsLinkTag(ReparseTagOf(file));
  facts->regular = IsPlainFile(file, info);
  facts->ownerTrusted = TrustedOwner(file);
  const bool readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  const DWORD kept = info.dwFileAttributes & kKeptAttributes;
  facts->permissions = (readOnly ? 0444u : 0666u) | (kept << kKeptShift);
  return 0;
}

// The player may write the plain file at `path` (opened with `flags`) unless it is read-only or
// its permissions say otherwise; a file another program has open is still writable.
bool Writable(const std::wstring& path, DWORD flags, const FileFacts& facts) {
  if (!facts.regular || facts.link || (facts.permissions & 0222) == 0) return false;
  HANDLE probe =
      CreateFileW(path.c_str(), FILE_WRITE_DATA, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
  const bool writable = probe != INVALID_HANDLE_VALUE || GetLastError() == ERROR_SHARING_VIOLATION;
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  return writable;
}

// Opens `path` itself with `access`, missing files included in the error; a symbolic link or a
// junction there gives kIsALink. Another kind of reparse point (a cloud file's placeholder) is
// opened again the ordinary way, so that its contents come in, and must still be the same file.
int OpenName(const std::wstring& path, DWORD access, HANDLE* out) {
  constexpr DWORD kFlags = FILE_FLAG_BACKUP_SEMANTICS;  // a folder opens too, to be refused
  *out = INVALID_HANDLE_VALUE;
  HANDLE name = CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                            kFlags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (name == INVALID_HANDLE_VALUE) return LastError();
  const DWORD tag = ReparseTagOf(name);
  if (tag == 0) {
    *out = name;
    return 0;
  }
  if (IsLinkTag(tag)) {
    CloseHandle(name);
    return kIsALink;
  }
  HANDLE file =
      CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, kFlags, nullptr);
  BY_HANDLE_FILE_INFORMATION seen, opened;
  const bool same = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(name, &seen) &&
                    GetFileInformationByHandle(file, &opened) &&
                    seen.dwVolumeSerialNumber == opened.dwVolumeSerialNumber &&
                    seen.nFileIndexHigh == opened.nFileIndexHigh &&
                    seen.nFileIndexLow == opened.nFileIndexLow;
  const int error = file == INVALID_HANDLE_VALUE ? LastError() : 0;
  CloseHandle(name);
  if (same) {
    *out = file;
    return 0;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return error != 0 ? error : kIsALink;  // changed under us: whatever it is now, not the file seen
}

// Looks at `path` opened with `flags`: a missing file is not an error. The owner needs
// READ_CONTROL, which a file's permissions may refuse: it is then looked at without, and its
// owner counts as nobody the game trusts.
int LookAt(const std::string& path, DWORD flags, FileFacts* facts) {
  *facts = FileFacts{};
  const std::wstring wide = ApiPath(path);
  HANDLE file = INVALID_HANDLE_VALUE;
  for (DWORD access : {DWORD{FILE_READ_ATTRIBUTES | READ_CONTROL}, DWORD{FILE_READ_ATTRIBUTES}}) {
    file = CreateFileW(wide.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    const int error = LastError();
    return IsMissingError(error) ? 0 : error;
  }
  const int error = Describe(file, facts);
  CloseHandle(file);
  if (error != 0) return error;
  facts->writable = Writable(wide, flags, *facts);
  return 0;
}

}  // namespace

int LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
}

std::wstring ApiPath(const std::string& path) {
  std::wstring wide = Wide(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

bool IsMissingError(int error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsRefusedError(int error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

bool IsExistsError(int error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

std::string DescribeFileError(int error) {
  if (error == kNotAPlainFile) return "it is not a regular file";
  if (error == kIsALink) return "it is a link where a plain file was expected";
  if (error == kFolderBusy) return "another program holds the lock on its folder";
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

int LookAtFile(const std::string& path, FileFacts* facts) {
  return LookAt(path, 0, facts);
}

int LookAtName(const std::string& path, FileFacts* facts) {
  return LookAt(path, FILE_FLAG_OPEN_REPARSE_POINT, facts);
}

int LookAtOpenFile(FileHandle file, FileFacts* facts) {
  *facts = FileFacts{};
  return Describe(Handle(file), facts);
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::string* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    HANDLE file = CreateFileW(ApiPath(*paths[i]).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info[i]) != 0;
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

int LockFolder(const std::string& folder, uint32_t waitMilliseconds, FileHandle* lock) {
  *lock = kNoFile;
  const std::wstring path = ApiPath(folder) + kLockFileName;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  // A folder that takes no new files has no lock to take: the save goes on without.
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  // A link planted under the lock file's name is not ours to lock.
  if (!GetFileInformationByHandle(file, &info) || !IsPlainFile(file, info)) {
    CloseHandle(file);
    return 0;
  }
  // Tried at once, then again after short sleeps until the wait is over: the other game holds it
  // for one save only.
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    OVERLAPPED at{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      *lock = FromHandle(file);
      return 0;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) break;  // a file system without locks
    const ULONGLONG waited = GetTickCount64() - start;
    if (waited >= waitMilliseconds) {
      CloseHandle(file);
      return kFolderBusy;
    }
    Sleep(static_cast<DWORD>(std::min(kLockRetryMs, waitMilliseconds - waited)));
  }
  CloseHandle(file);
  return 0;
}

void UnlockFolder(FileHandle lock) {
  if (lock == kNoFile) return;
  OVERLAPPED at{};
  UnlockFileEx(Handle(lock), 0, 1, 0, &at);
  CloseHandle(Handle(lock));
}

// Windows cannot flush a folder; the rename was written through (see RenameFile) instead.
void SyncFolder(const std::string&) {}

int ReadWholeFile(const std::string& path, size_t limit, std::string* text, bool* truncated,
                  FileFacts* facts) {
  text->clear();
  *truncated = false;
  HANDLE file = INVALID_HANDLE_VALUE;
  const int error = OpenName(ApiPath(path), GENERIC_READ, &file);
  if (error != 0) return error;
  FileFacts seen;
  if (Describe(file, &seen) != 0 || !seen.regular) {
    CloseHandle(file);
    return kNotAPlainFile;
  }
  if (facts != nullptr) *facts = seen;
  char block[4096];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, block, sizeof block, &n, nullptr)) {
      const int readError = LastError();
      CloseHandle(file);
      return readError;
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
  HANDLE opened = INVALID_HANDLE_VALUE;
  // READ_CONTROL and the attributes: the game looks at what it opened before writing.
  const int error =
      OpenName(ApiPath(path), GENERIC_WRITE | FILE_READ_ATTRIBUTES | READ_CONTROL, &opened);
  if (error != 0) return error;
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

// Read-only when `like` was, with the attributes it keeps; Windows has no owner to hand over.
int CopyPermissions(FileHandle file, const FileFacts& like) {
  DWORD attributes = (like.permissions >> kKeptShift) & kKeptAttributes;
  if ((like.permissions & 0200) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (attributes == 0) return 0;
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = attributes | FILE_ATTRIBUTE_ARCHIVE;
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

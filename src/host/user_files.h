// The player's folders and the file operations behind the game's own small files (the score
// table, the settings). machine/user_file.cpp decides what to do with them; a host only carries
// each operation out on its file system. Failures return a host error code (never 0), which
// DescribeFileError turns into words and the Is...Error helpers classify.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The per-user folder for the game's data (the score table) and for its settings: on Linux the
// XDG base directories, each with "skypop" appended.
std::string UserDataFolder();
std::string UserConfigFolder();

// An open file or folder of the host's; kNoFile when none.
using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

// What a look at a name (or an open file) finds.
struct FileFacts {
  bool exists = false;
  bool regular = false;       // a plain file (not a folder, FIFO, device, link...)
  bool link = false;          // the name itself is a symbolic link (LookAtName only)
  bool writable = false;      // the player may write it and has not made it read-only
  bool ownerTrusted = false;  // owned by the player running the game or by the administrator
  uint32_t permissions = 0;   // the host's permission bits, to give a replacement
  uint32_t owner = 0;         // the host's owner and group, to give a replacement
  uint32_t group = 0;
};

// Error codes every host gives for these cases, beside its own.
constexpr int kNotAPlainFile = -2;  // the name is not a plain file
constexpr int kIsALink = -3;        // an open that never follows a link found one at the name
constexpr int kFolderBusy = -4;     // another program held the folder's lock for the whole wait

// Is `error` "there is no such file"? "Permission refused"? "That name is already taken"?
bool IsMissingError(int error);
bool IsRefusedError(int error);
bool IsExistsError(int error);
// A short description of `error`, as a message line ends with it.
std::string DescribeFileError(int error);

// Where the link `path` points (*target as written in the link, maybe relative to the link's
// folder); 0 with an empty target when `path` is not a link.
int ReadLink(const std::string& path, std::string* target);
// Looks at `path`, links followed; a missing file is not an error (facts->exists is false).
int LookAtFile(const std::string& path, FileFacts* facts);
// Looks at the name `path` itself: a link is described, not followed (facts->link).
int LookAtName(const std::string& path, FileFacts* facts);
// Looks at an open file (its facts, whatever name reached it); writable is left false.
int LookAtOpenFile(FileHandle file, FileFacts* facts);
// Are the two names the same file or folder (both exist)?
bool SameFile(const std::string& a, const std::string& b);
// Creates `folder` and every missing folder above it.
int MakeFolders(const std::string& folder);
// Takes the advisory lock on `folder` that two games saving there share, waiting at most
// `waitMilliseconds` (0: tried once) and sleeping between tries; kFolderBusy when another
// program held it all that time. 0 with *lock kNoFile when the folder cannot be opened or the
// file system has no locks (the save then goes on without the lock).
int LockFolder(const std::string& folder, uint32_t waitMilliseconds, FileHandle* lock);
// Releases a lock LockFolder took; kNoFile is fine.
void UnlockFolder(FileHandle lock);
// Makes what the folder's earlier renames did durable; a folder that refuses does no harm.
void SyncFolder(const std::string& folder);

// Reads at most `limit` bytes of a plain file without ever blocking (a FIFO under the name must
// not hang the game) and never through a link at the name itself (kIsALink). *truncated tells
// whether it held more; *facts (when not null) are those of the file opened. A name that is not
// a plain file gives kNotAPlainFile.
int ReadWholeFile(const std::string& path, size_t limit, std::string* text, bool* truncated,
                  FileFacts* facts);

// Creates a new file that did not exist, never through a link, with `permissions`; open for
// writing into *file.
int CreateNewFile(const std::string& path, uint32_t permissions, FileHandle* file);
// Opens an existing plain file for rewriting in place, never through a link.
int OpenForRewriting(const std::string& path, FileHandle* file);
// Writes the whole of `text` from the file's start and cuts the file to that length.
int WriteWholeFile(FileHandle file, const std::string& text);
// Gives the open file the permission bits and, where the host can, the owner of `like`;
// only the permissions can fail.
int CopyPermissions(FileHandle file, const FileFacts& like);
// Flushes the file to the disk, then closes it (closed even when the flush failed).
int SyncAndClose(FileHandle file);
// Closes without flushing (a failed write's clean-up).
void CloseFile(FileHandle file);
// Puts `from` in place of `to` in one step (a link at `to` is replaced, not followed).
int RenameFile(const std::string& from, const std::string& to);
// Removes the name `path` (only the link, if it is one); a missing file is not an error.
int RemoveFile(const std::string& path);

}  // namespace platform

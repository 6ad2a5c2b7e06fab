// The player's folders and the file operations behind the game's own small files (the score
// table, the settings). machine/user_file.cpp decides what to do with them; a host only carries
// each operation out on its file system. Failures return a host error code (never 0), which
// DescribeFileError turns into words.
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

// What a look at a name finds, links followed.
struct FileFacts {
  bool exists = false;
  bool regular = false;      // a plain file (not a folder, FIFO, device...)
  bool writable = false;     // the player may write it and has not made it read-only
  uint32_t permissions = 0;  // the host's permission bits, to give a replacement
  uint32_t owner = 0;        // the host's owner and group, to give a replacement
  uint32_t group = 0;
};

// Is `error` "there is no such file"? Is it "permission refused"?
bool IsMissingError(int error);
bool IsRefusedError(int error);
// A short description of `error`, as a message line ends with it.
std::string DescribeFileError(int error);

// Where the link `path` points (*target as written in the link, maybe relative to the link's
// folder); 0 with an empty target when `path` is not a link.
int ReadLink(const std::string& path, std::string* target);
// Looks at `path`, links followed; a missing file is not an error (facts->exists is false).
int LookAtFile(const std::string& path, FileFacts* facts);
// Are the two names the same file or folder (both exist)?
bool SameFile(const std::string& a, const std::string& b);
// Creates `folder` and every missing folder above it.
int MakeFolders(const std::string& folder);
// Takes the advisory lock on `folder` that two games saving there share, waiting for it;
// kNoFile when the folder cannot be opened or locked (the save then goes on without the lock).
FileHandle LockFolder(const std::string& folder);
// Releases a lock LockFolder took; kNoFile is fine.
void UnlockFolder(FileHandle lock);
// Makes what the folder's earlier renames did durable; a folder that refuses does no harm.
void SyncFolder(const std::string& folder);

// Reads at most `limit` bytes of a plain file without ever blocking (a FIFO under the name must
// not hang the game). *truncated tells whether it held more. Error codes as above; a name that
// is not a plain file gives kNotAPlainFile.
constexpr int kNotAPlainFile = -2;
int ReadWholeFile(const std::string& path, size_t limit, std::string* text, bool* truncated);

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
// Puts `from` in place of `to` in one step.
int RenameFile(const std::string& from, const std::string& to);
// Removes the name `path` (only the link, if it is one); a missing file is not an error.
int RemoveFile(const std::string& path);

}  // namespace platform

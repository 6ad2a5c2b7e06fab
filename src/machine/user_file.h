// The player's own small files (the high-score table, the settings): read without ever blocking,
// replaced without ever losing the old contents, shared safely between two running games, and
// never a way into somebody else's files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/user_files.h"

namespace platform {

enum class UserFileRead {
  kRead,        // the contents are in the text
  kMissing,     // there is no such file (a first run)
  kUnreadable,  // it exists but could not be read, is not a plain file, or is a link the game
                // does not follow: leave it alone
};

// What makes a file the game's own when a link leads to it.
struct UserFileKind {
  const char* what;                              // "a score table", for the messages
  bool (*readsAsOurs)(const std::string& text);  // does this text read as such a file?
};

// One user file, named by a path in the game's own folder. A plain file there is the game's. A
// symbolic link is followed only when every link on the way and the file at its end belong to
// the player (or the administrator), that file is a plain one and it reads as `kind`; the link
// then stays and its target is replaced. Any other link is left alone, read or written never.
// Every failure leaves a one-line reason in problem().
class UserFile {
 public:
  UserFile(const char* path, const UserFileKind& kind);
  ~UserFile();
  UserFile(const UserFile&) = delete;
  UserFile& operator=(const UserFile&) = delete;

  // Creates the file's folder when missing and takes the advisory lock on it that every game
  // saving there shares, waiting at most `waitMilliseconds` for another (0: tried once); false
  // when the folder cannot be made or the lock stayed taken. A folder that cannot be locked at
  // all only loses the protection against a second game saving at the same moment.
  bool Lock(uint32_t waitMilliseconds);
  // Reads at most `limit` bytes; *truncated tells whether the file held more.
  UserFileRead Read(std::string* text, size_t limit, bool* truncated);
  // Puts `text` in place of the file's contents: a new file beside it, created exclusively,
  // synced, then renamed over it, with the old file's permission bits. A folder that refuses new
  // files falls back to rewriting the file in place (replacedInPlace() then tells). Refuses a
  // file that is read-only or not a plain file. False when nothing was replaced.
  bool Replace(const std::string& text);
  // Copies the current file, whole, beside the name the game uses: to the name plus `suffix`,
  // or plus `suffix` and ".1", ".2"... when that is taken (never over an earlier copy, never
  // through a link), with the file's own permission bits; copyPath() names the copy made.
  bool KeepCopy(const char* suffix);
  // The same for another file (a table imported from elsewhere), kept beside this one's name.
  bool KeepCopyOf(UserFile& source, const char* suffix);

  const std::string& path() const { return path_; }
  const std::string& problem() const { return problem_; }
  const std::string& copyPath() const { return copyPath_; }
  bool replacedInPlace() const { return inPlace_; }

 private:
  void Resolve();
  void Refuse(const std::string& why);
  bool Fail(const std::string& what, int error);
  bool ReplaceInPlace(const std::string& text);

  std::string path_;    // as named
  std::string target_;  // the file itself, links followed
  std::string problem_;
  std::string copyPath_;
  const UserFileKind* kind_;
  FileFacts read_;             // of the file the last read opened
  FileHandle lock_ = kNoFile;  // the folder lock while held
  bool linked_ = false;        // the name is a link the rules may follow
  bool refused_ = false;       // a link the rules do not follow
  bool checked_ = false;       // the link's target was read and reads as the game's file
  bool inPlace_ = false;
};

}  // namespace platform

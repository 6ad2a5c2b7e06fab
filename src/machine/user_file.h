// The player's own small files (the high-score table, the settings): read without ever blocking,
// replaced without ever losing the old contents, and shared safely between two running games.
#pragma once

#include <cstddef>
#include <string>

#include "host/user_files.h"

namespace platform {

enum class UserFileRead {
  kRead,        // the contents are in the text
  kMissing,     // there is no such file (a first run)
  kUnreadable,  // it exists but could not be read, or is not a plain file: leave it alone
};

// One user file, named by a path that may be a symbolic link (the link is kept and its target
// replaced). Every failure leaves a one-line reason in problem().
class UserFile {
 public:
  explicit UserFile(const char* path);
  ~UserFile();
  UserFile(const UserFile&) = delete;
  UserFile& operator=(const UserFile&) = delete;

  // Creates the file's folder when missing and takes an advisory lock on it, so that another game
  // saving the same file waits; false (and no lock) when the folder cannot be made or opened.
  bool Lock();
  // Reads at most `limit` bytes; *truncated tells whether the file held more.
  UserFileRead Read(std::string* text, size_t limit, bool* truncated);
  // Puts `text` in place of the file's contents: a new file beside it, created exclusively,
  // synced, then renamed over it, with the old file's permission bits. A folder that refuses new
  // files falls back to rewriting the file in place (replacedInPlace() then tells). Refuses a
  // file that is read-only or not a plain file. False when nothing was replaced.
  bool Replace(const std::string& text);
  // Copies the current file, whole, to the same name plus `suffix`; false when that failed.
  bool KeepCopy(const char* suffix);

  const std::string& path() const { return path_; }
  const std::string& problem() const { return problem_; }
  bool replacedInPlace() const { return inPlace_; }

 private:
  bool Resolve();
  bool Fail(const char* what, int error);
  bool ReplaceInPlace(const std::string& text);

  std::string path_;    // as named
  std::string target_;  // the file itself, links followed
  std::string problem_;
  FileHandle lock_ = kNoFile;  // the folder lock while held
  bool inPlace_ = false;
};

}  // namespace platform

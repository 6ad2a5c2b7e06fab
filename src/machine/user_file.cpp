#include "machine/user_file.h"

#include "host/user_files.h"

namespace platform {

namespace {

// Deeper link chains than this are a loop, as far as a score file is concerned.
constexpr int kMaxLinks = 16;
// A copy kept for the player reads the whole file, but nothing a game wrote is this big.
constexpr size_t kCopyLimit = 16u << 20;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

UserFile::UserFile(const char* path) : path_(path) {
  Resolve();
}

UserFile::~UserFile() {
  UnlockFolder(lock_);
}

// Follows a chain of links by hand, so that a link to a file that does not exist yet still names
// the file to create, and the link itself is never replaced by a plain file.
bool UserFile::Resolve() {
  std::string current = path_;
  for (int depth = 0; depth < kMaxLinks; ++depth) {
    std::string link;
    const int error = ReadLink(current, &link);
    if (error != 0) return Fail("cannot read the link", error);
    if (link.empty()) {
      target_ = current;
      return true;
    }
    current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
  }
  problem_ = "cannot follow the link: too many levels of links";
  return false;
}

bool UserFile::Fail(const char* what, int error) {
  problem_ = std::string(what) + ": " + DescribeFileError(error);
  return false;
}

bool UserFile::Lock() {
  if (lock_ != kNoFile) return true;
  const std::string folder = FolderOf(target_);
  const int error = MakeFolders(folder);
  if (error != 0) return Fail("cannot create the folder", error);
  // A folder we may not open, or a file system without locks, only loses the protection against
  // a second game saving at the same moment, never the save itself.
  lock_ = LockFolder(folder);
  return true;
}

UserFileRead UserFile::Read(std::string* text, size_t limit, bool* truncated) {
  const int error = ReadWholeFile(target_, limit, text, truncated);
  if (error == 0) return UserFileRead::kRead;
  if (IsMissingError(error)) return UserFileRead::kMissing;
  if (error == kNotAPlainFile) {
    problem_ = DescribeFileError(error);
  } else {
    Fail("cannot read it", error);
  }
  return UserFileRead::kUnreadable;
}

bool UserFile::Replace(const std::string& text) {
  inPlace_ = false;
  if (!problem_.empty() && target_.empty()) return false;  // the link could not be followed
  FileFacts facts;
  int error = LookAtFile(target_, &facts);
  if (error != 0) return Fail("cannot look at it", error);
  if (facts.exists && !facts.regular) {
    problem_ = "it is not a regular file";
    return false;
  }
  if (facts.exists && !facts.writable) {
    problem_ = "the file is read-only";
    return false;
  }
  const std::string folder = FolderOf(target_);
  error = MakeFolders(folder);
  if (error != 0) return Fail("cannot create the folder", error);

  // A leftover from a save that was killed is removed, never written through: if it is a link,
  // only the link goes. The exclusive, link-refusing create below then makes a fresh file.
  const std::string temp = target_ + ".tmp";
  RemoveFile(temp);
  FileHandle file = kNoFile;
  error = CreateNewFile(temp, facts.exists ? 0600 : 0666, &file);
  if (error != 0) {
    // A folder that takes no new files, but a writable file in it: the file is rewritten in
    // place, where the game kept it before it had a folder of its own.
    if (facts.exists && IsRefusedError(error)) return ReplaceInPlace(text);
    return Fail("cannot create a new file beside it", error);
  }
  error = WriteWholeFile(file, text);
  if (error == 0 && facts.exists) error = CopyPermissions(file, facts);
  if (error != 0) {
    CloseFile(file);
  } else {
    error = SyncAndClose(file);
  }
  if (error == 0) error = RenameFile(temp, target_);
  if (error != 0) {
    RemoveFile(temp);
    return Fail("cannot write it", error);
  }
  SyncFolder(folder);
  problem_.clear();
  return true;
}

bool UserFile::ReplaceInPlace(const std::string& text) {
  FileHandle file = kNoFile;
  int error = OpenForRewriting(target_, &file);
  if (error != 0) return Fail("cannot write it", error);
  error = WriteWholeFile(file, text);
  if (error != 0) {
    CloseFile(file);
  } else {
    error = SyncAndClose(file);
  }
  if (error != 0) return Fail("cannot write it", error);
  inPlace_ = true;
  problem_.clear();
  return true;
}

bool UserFile::KeepCopy(const char* suffix) {
  std::string text;
  bool truncated = false;
  if (Read(&text, kCopyLimit, &truncated) != UserFileRead::kRead || truncated) {
    if (truncated) problem_ = "it is too large to keep a copy";
    return false;
  }
  UserFile copy((target_ + suffix).c_str());
  if (!copy.Replace(text)) {
    problem_ = copy.path() + ": " + copy.problem();
    return false;
  }
  return true;
}

}  // namespace platform

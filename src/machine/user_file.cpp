#include "machine/user_file.h"

#include "host/user_files.h"

namespace platform {

namespace {

// Deeper link chains than this are a loop, as far as a player's file is concerned.
constexpr int kMaxLinks = 16;
// A copy kept for the player reads the whole file, but nothing a game wrote is this big.
constexpr size_t kCopyLimit = 16u << 20;
// What is read of a link's target to see whether it is the game's file.
constexpr size_t kCheckLimit = 64u << 10;
// Salvage copies beside one name: .bad, .bad.1 ... .bad.99; past that the player has to look.
constexpr int kMaxCopies = 100;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

UserFile::UserFile(const char* path, const UserFileKind& kind) : path_(path), kind_(&kind) {
  Resolve();
}

UserFile::~UserFile() {
  UnlockFolder(lock_);
}

// Follows a chain of links by hand, checking each one's owner, so that the link itself is never
// replaced by a plain file and a link somebody else planted is never followed (whatever the
// kernel's own protection for links in shared folders says).
void UserFile::Resolve() {
  problem_.clear();
  linked_ = refused_ = checked_ = false;
  target_.clear();
  std::string current = path_;
  for (int depth = 0; depth <= kMaxLinks; ++depth) {
    FileFacts facts;
    int error = LookAtName(current, &facts);
    if (error != 0) {
      Refuse("cannot look at it: " + DescribeFileError(error));
      return;
    }
    if (!facts.link) {
      target_ = current;
      if (!linked_) return;
      if (!facts.exists) {
        Refuse("it is a link to a missing file");
      } else if (!facts.regular) {
        Refuse("it is a link to something that is not a regular file");
      } else if (!facts.ownerTrusted) {
        Refuse("it is a link to a file owned by another user");
      }
      return;
    }
    if (!facts.ownerTrusted) {
      Refuse("it is a link owned by another user");
      return;
    }
    linked_ = true;
    std::string link;
    error = ReadLink(current, &link);
    if (error != 0 || link.empty()) {
      Refuse("cannot read the link: " + DescribeFileError(error != 0 ? error : kNotAPlainFile));
      return;
    }
    current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
  }
  Refuse("cannot follow the link: too many levels of links");
}

void UserFile::Refuse(const std::string& why) {
  refused_ = true;
  problem_ = why;
}

bool UserFile::Fail(const std::string& what, int error) {
  problem_ = what + ": " + DescribeFileError(error);
  return false;
}

bool UserFile::Lock(uint32_t waitMilliseconds) {
  if (lock_ != kNoFile) return true;
  const std::string folder = FolderOf(path_);
  int error = MakeFolders(folder);
  if (error != 0) return Fail("cannot create the folder", error);
  error = LockFolder(folder, waitMilliseconds, &lock_);
  if (error != 0) {
    problem_ = DescribeFileError(error);
    return false;
  }
  // Looked at afresh: what the name is now counts, not what it was before another game saved.
  Resolve();
  return true;
}

UserFileRead UserFile::Read(std::string* text, size_t limit, bool* truncated) {
  text->clear();
  *truncated = false;
  if (refused_) return UserFileRead::kUnreadable;
  const int error = ReadWholeFile(target_, limit, text, truncated, &read_);
  if (error == 0) {
    if (!linked_) return UserFileRead::kRead;
    // The facts of the file actually opened, whatever the name pointed to when it was looked at.
    if (!read_.ownerTrusted) {
      Refuse("it is a link to a file owned by another user");
    } else if (!kind_->readsAsOurs(*text)) {
      Refuse(std::string("it is a link to a file that is not ") + kind_->what);
    } else {
      checked_ = true;
      return UserFileRead::kRead;
    }
    text->clear();
    *truncated = false;
    return UserFileRead::kUnreadable;
  }
  if (IsMissingError(error)) {
    if (!linked_) return UserFileRead::kMissing;
    Refuse("it is a link to a missing file");
  } else if (error == kNotAPlainFile) {
    problem_ = DescribeFileError(error);
  } else {
    Fail("cannot read it", error);
  }
  return UserFileRead::kUnreadable;
}

bool UserFile::Replace(const std::string& text) {
  inPlace_ = false;
  if (refused_) return false;
  if (linked_ && !checked_) {
    // A link is written through only once its target has been seen to be the game's file.
    std::string seen;
    bool truncated = false;
    if (Read(&seen, kCheckLimit, &truncated) != UserFileRead::kRead) return false;
  }
  FileFacts facts;
  int error = LookAtName(target_, &facts);
  if (error != 0) return Fail("cannot look at it", error);
  if (facts.link) return Fail("cannot replace it", kIsALink);
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
  // What was opened must still be what was checked: a plain file, and the player's when a link
  // led here.
  FileFacts facts;
  error = LookAtOpenFile(file, &facts);
  if (error == 0 && (!facts.regular || (linked_ && !facts.ownerTrusted))) error = kNotAPlainFile;
  if (error == 0) error = WriteWholeFile(file, text);
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
  return KeepCopyOf(*this, suffix);
}

bool UserFile::KeepCopyOf(UserFile& source, const char* suffix) {
  copyPath_.clear();
  std::string text;
  bool truncated = false;
  if (source.Read(&text, kCopyLimit, &truncated) != UserFileRead::kRead || truncated) {
    problem_ = truncated ? "it is too large to keep a copy" : source.problem();
    return false;
  }
  FileFacts like = source.read_;
  like.permissions &= 0777;  // the access bits only
  for (int number = 0; number < kMaxCopies; ++number) {
    std::string name = path_ + suffix;
    if (number > 0) {
      // Appended piece by piece: g++ 12 at -O2 warns falsely (-Wrestrict) on "." + a temporary.
      name += '.';
      name += std::to_string(number);
    }
    FileHandle file = kNoFile;
    int error = CreateNewFile(name, like.permissions, &file);
    if (IsExistsError(error)) continue;  // an earlier copy, or a name somebody put there
    if (error != 0) return Fail("cannot create " + name, error);
    error = WriteWholeFile(file, text);
    if (error == 0) error = CopyPermissions(file, like);
    if (error != 0) {
      CloseFile(file);
    } else {
      error = SyncAndClose(file);
    }
    if (error != 0) {
      RemoveFile(name);
      return Fail("cannot write " + name, error);
    }
    SyncFolder(FolderOf(name));
    copyPath_ = name;
    return true;
  }
  problem_ = "every name for a copy up to " + path_ + suffix + "." +
             std::to_string(kMaxCopies - 1) + " is taken";
  return false;
}

}  // namespace platform

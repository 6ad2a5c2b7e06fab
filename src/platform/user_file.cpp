#include "platform/user_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

// mkdir -p: the per-user data folder may not exist on a first run.
bool MakeFolders(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Synced so that the rename that follows is on disk too; a folder that refuses does no harm.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

UserFile::UserFile(const char* path) : path_(path) {
  Resolve();
}

UserFile::~UserFile() {
  if (lockFd_ >= 0) close(lockFd_);  // closing releases the lock
}

// Follows a chain of links by hand, so that a link to a file that does not exist yet still names
// the file to create, and the link itself is never replaced by a plain file.
bool UserFile::Resolve() {
  std::string current = path_;
  for (int depth = 0; depth < kMaxLinks; ++depth) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target_ = current;
      return true;
    }
    char link[4096];
    const ssize_t n = readlink(current.c_str(), link, sizeof(link) - 1);
    if (n < 0) return Fail("cannot read the link", errno);
    link[n] = '\0';
    current = link[0] == '/' ? std::string(link) : FolderOf(current) + "/" + link;
  }
  return Fail("cannot follow the link", ELOOP);
}

bool UserFile::Fail(const char* what, int error) {
  problem_ = std::string(what) + ": " + std::strerror(error);
  return false;
}

bool UserFile::Lock() {
  if (lockFd_ >= 0) return true;
  const std::string folder = FolderOf(target_);
  if (!MakeFolders(folder)) return Fail("cannot create the folder", errno);
  // A folder we may not open, or a file system without locks, only loses the protection against
  // a second game saving at the same moment, never the save itself.
  lockFd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockFd_ >= 0) {
    while (flock(lockFd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  return true;
}

UserFileRead UserFile::Read(std::string* text, size_t limit, bool* truncated) {
  text->clear();
  *truncated = false;
  // Never blocks: a FIFO or a device under the file's name must not hang the game.
  const int fd = open(target_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return UserFileRead::kMissing;
    Fail("cannot read it", errno);
    return UserFileRead::kUnreadable;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    problem_ = "it is not a regular file";
    return UserFileRead::kUnreadable;
  }
  char block[4096];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof(block));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Fail("cannot read it", errno);
      close(fd);
      return UserFileRead::kUnreadable;
    }
    if (n == 0) break;
    const size_t room = limit - text->size();
    text->append(block, static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room);
    if (static_cast<size_t>(n) > room) {
      *truncated = true;
      break;
    }
  }
  close(fd);
  return UserFileRead::kRead;
}

bool UserFile::Replace(const std::string& text) {
  inPlace_ = false;
  if (!problem_.empty() && target_.empty()) return false;  // the link could not be followed
  struct stat st {};
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return Fail("cannot look at it", errno);
  if (exists && !S_ISREG(st.st_mode)) {
    problem_ = "it is not a regular file";
    return false;
  }
  // A file the player made read-only stays as it is, also for root, who could write it anyway.
  if (exists && ((st.st_mode & 0222) == 0 || access(target_.c_str(), W_OK) != 0)) {
    problem_ = "the file is read-only";
    return false;
  }
  const std::string folder = FolderOf(target_);
  if (!MakeFolders(folder)) return Fail("cannot create the folder", errno);

  // A leftover from a save that was killed is removed, never written through: if it is a link,
  // only the link goes. The exclusive, link-refusing create below then makes a fresh file.
  const std::string temp = target_ + ".tmp";
  unlink(temp.c_str());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      exists ? 0600 : 0666);
  if (fd < 0) {
    const int error = errno;
    // A folder that takes no new files (but a writable file in it) is how the original game
    // always saved: in place.
    if (exists && (error == EACCES || error == EPERM)) return ReplaceInPlace(text);
    return Fail("cannot create a new file beside it", error);
  }
  bool ok = WriteAll(fd, text);
  int error = errno;
  if (ok && exists) {
    ok = fchmod(fd, st.st_mode & 07777) == 0;
    error = errno;
    if (st.st_uid != geteuid() || st.st_gid != getegid()) {
      // Keeps the player's ownership when root saves for them; failing that is harmless.
      if (fchown(fd, st.st_uid, st.st_gid) != 0) {
      }
    }
  }
  if (ok) {
    ok = fsync(fd) == 0;
    error = errno;
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temp.c_str(), target_.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return Fail("cannot write it", error);
  }
  SyncFolder(folder);
  problem_.clear();
  return true;
}

bool UserFile::ReplaceInPlace(const std::string& text) {
  const int fd = open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail("cannot write it", errno);
  bool ok =
      WriteAll(fd, text) && ftruncate(fd, static_cast<off_t>(text.size())) == 0 && fsync(fd) == 0;
  const int error = errno;
  ok = (close(fd) == 0) && ok;
  if (!ok) return Fail("cannot write it", error);
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

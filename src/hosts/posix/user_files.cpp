// The player's files on a POSIX file system: link-refusing creates, advisory folder locks, fsync
// and rename. Used by the desktop and by the browser (whose file system is POSIX-shaped).
#include "host/user_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int Fd(FileHandle file) {
  return static_cast<int>(file);
}

// The facts a stat gives; `writable` needs the name and is left to the caller.
void FillFacts(const struct stat& st, FileFacts* facts) {
  facts->exists = true;
  facts->regular = S_ISREG(st.st_mode);
  facts->link = S_ISLNK(st.st_mode);
  facts->ownerTrusted = st.st_uid == geteuid() || st.st_uid == 0;
  facts->permissions = st.st_mode & 07777;
  facts->owner = st.st_uid;
  facts->group = st.st_gid;
}

// A file the player made read-only stays as it is, also for root, who could write it anyway.
bool Writable(const std::string& path, const struct stat& st) {
  return (st.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// Between two tries of a held lock: short enough to take it soon after it is let go.
constexpr int64_t kLockRetryMilliseconds = 20;

}  // namespace

bool IsMissingError(int error) {
  return error == ENOENT;
}

bool IsRefusedError(int error) {
  return error == EACCES || error == EPERM;
}

bool IsExistsError(int error) {
  return error == EEXIST;
}

std::string DescribeFileError(int error) {
  if (error == kNotAPlainFile) return "it is not a regular file";
  if (error == kIsALink) return "it is a link where a plain file was expected";
  if (error == kFolderBusy) return "another program holds the lock on its folder";
  return std::strerror(error);
}

int ReadLink(const std::string& path, std::string* target) {
  target->clear();
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
  char link[4096];
  const ssize_t n = readlink(path.c_str(), link, sizeof(link) - 1);
  if (n < 0) return errno;
  target->assign(link, static_cast<size_t>(n));
  return 0;
}

int LookAtFile(const std::string& path, FileFacts* facts) {
  *facts = FileFacts{};
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  FillFacts(st, facts);
  facts->writable = Writable(path, st);
  return 0;
}

int LookAtName(const std::string& path, FileFacts* facts) {
  *facts = FileFacts{};
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  FillFacts(st, facts);
  facts->writable = !facts->link && Writable(path, st);
  return 0;
}

int LookAtOpenFile(FileHandle file, FileFacts* facts) {
  *facts = FileFacts{};
  struct stat st {};
  if (fstat(Fd(file), &st) != 0) return errno;
  FillFacts(st, facts);
  return 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// mkdir -p: the per-user data folder may not exist on a first run.
int MakeFolders(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (errno != ENOENT) return errno;
  const std::string parent = ParentOf(folder);
  if (parent != folder) {
    const int error = MakeFolders(parent);
    if (error != 0) return error;
  }
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

int LockFolder(const std::string& folder, uint32_t waitMilliseconds, FileHandle* lock) {
  *lock = kNoFile;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  // Tried without blocking, then again after short sleeps: a blocking flock would hold the game
  // for as long as anybody who can read the folder likes, signals or not.
  const int64_t start = MonotonicMilliseconds();
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      *lock = fd;
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) break;  // a file system without locks
    const int64_t left = int64_t{waitMilliseconds} - (MonotonicMilliseconds() - start);
    if (left <= 0) {
      close(fd);
      return kFolderBusy;
    }
    const int64_t pause = left < kLockRetryMilliseconds ? left : kLockRetryMilliseconds;
    const timespec sleep{0, static_cast<long>(pause * 1000000)};
    nanosleep(&sleep, nullptr);
  }
  close(fd);
  return 0;
}

void UnlockFolder(FileHandle lock) {
  if (lock != kNoFile) close(Fd(lock));  // closing releases the lock
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

int ReadWholeFile(const std::string& path, size_t limit, std::string* text, bool* truncated,
                  FileFacts* facts) {
  text->clear();
  *truncated = false;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP ? kIsALink : errno;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return kNotAPlainFile;
  }
  if (facts != nullptr) {
    *facts = FileFacts{};
    FillFacts(st, facts);
  }
  char block[4096];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof(block));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      return error;
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
  return 0;
}

int CreateNewFile(const std::string& path, uint32_t permissions, FileHandle* file) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      static_cast<mode_t>(permissions));
  *file = fd < 0 ? kNoFile : fd;
  return fd < 0 ? errno : 0;
}

int OpenForRewriting(const std::string& path, FileHandle* file) {
  const int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  *file = fd < 0 ? kNoFile : fd;
  if (fd < 0) return errno == ELOOP ? kIsALink : errno;
  return 0;
}

int WriteWholeFile(FileHandle file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n =
        pwrite(Fd(file), text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return ftruncate(Fd(file), static_cast<off_t>(text.size())) == 0 ? 0 : errno;
}

int CopyPermissions(FileHandle file, const FileFacts& like) {
  if (fchmod(Fd(file), static_cast<mode_t>(like.permissions)) != 0) return errno;
  if (like.owner != geteuid() || like.group != getegid()) {
    // Keeps the player's ownership when root saves for them; failing that is harmless.
    if (fchown(Fd(file), like.owner, like.group) != 0) {
    }
  }
  return 0;
}

int SyncAndClose(FileHandle file) {
  int error = fsync(Fd(file)) == 0 ? 0 : errno;
  if (close(Fd(file)) != 0 && error == 0) error = errno;
  return error;
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) close(Fd(file));
}

int RenameFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) {
  return unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

}  // namespace platform

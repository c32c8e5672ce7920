#include "play/store/files.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

namespace pellaris::play {

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr int kMostAsideNames = 1000;
constexpr int kLockRetryMs = 10;

std::string Failure(const std::string& what, const std::filesystem::path& file) {
  return what + " " + file.string() + ": " + std::strerror(errno);
}

// Closes on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int Get() const { return fd_; }
  // Hands the descriptor over, to be closed by its new owner.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now, as a write's last error can show up only here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      return false;
    }
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The file the name stands for: where its symbolic links lead, also to a file not there yet, else the
// name itself.
std::filesystem::path FinalTarget(const std::filesystem::path& file) {
  constexpr int kMostLinks = 40;  // as the system allows, so that a loop of links ends
  std::filesystem::path target = file;
  std::error_code failure;
  for (int links = 0; links < kMostLinks && std::filesystem::is_symlink(target, failure); ++links) {
    const std::filesystem::path next = std::filesystem::read_symlink(target, failure);
    if (failure) return file;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.lexically_normal();
}

// "dir/", "dir/." and "dir/..": names that stand for a folder even where none is yet, and that a lock
// or a write beside them would make one of.
bool NamesAFolder(const std::filesystem::path& file) {
  return !file.has_filename() || file.filename() == "." || file.filename() == "..";
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
#if defined(RENAME_NOREPLACE)
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // A system or file system without the flag: check first, which only two programs racing could defeat.
  struct stat status {};
  if (lstat(to.c_str(), &status) == 0) {
    errno = EEXIST;
    return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

FileContents ReadSmallFile(const std::filesystem::path& file, std::size_t limit) {
  FileContents result;
  if (NamesAFolder(file)) {
    result.status = ReadStatus::Unreadable;
    result.error = file.string() + " is the name of a folder, not of a file";
    return result;
  }
  FileDescriptor fd(open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return result;  // no such file, or a file in place of a folder
    result.status = ReadStatus::Unreadable;
    result.error = Failure("cannot open", file);
    return result;
  }
  struct stat status {};
  if (fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    result.status = ReadStatus::Unreadable;
    result.error = file.string() + " is not a regular file";
    return result;
  }
  // Read one byte past the limit, as the size can change under us.
  std::string text(limit + 1, '\0');
  std::size_t filled = 0;
  while (filled < text.size()) {
    const ssize_t got = read(fd.Get(), text.data() + filled, text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.status = ReadStatus::Unreadable;
      result.error = Failure("cannot read", file);
      return result;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  if (filled > limit) {
    result.status = ReadStatus::TooLarge;
    result.error = file.string() + " is larger than " + std::to_string(limit) + " bytes";
    return result;
  }
  text.resize(filled);
  result.status = ReadStatus::Read;
  result.text = std::move(text);
  return result;
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view contents, std::string& error) {
  const std::filesystem::path target = FinalTarget(file);
  // A device, a FIFO or a folder is never a file's old contents: the rename would put a file in its place.
  struct stat existing {};
  if (lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error = "cannot write " + target.string() + ": it is not a regular file";
    return false;
  }
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  if (!CreateFolders(folder, error)) return false;

  std::string temporaryName = (folder / (target.filename().string() + ".new-XXXXXX")).string();
  FileDescriptor fd(mkostemp(temporaryName.data(), O_CLOEXEC));
  if (fd.Get() < 0) {
    error = Failure("cannot create a file in", folder);
    return false;
  }
  const std::filesystem::path temporary = temporaryName;
  struct stat old {};
  const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
  const bool written = fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), contents) && fsync(fd.Get()) == 0;
  if (!written || !fd.Close() || rename(temporary.c_str(), target.c_str()) != 0) {
    error = Failure("cannot write", target);
    unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder's entry.
  FileDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.Get() >= 0) fsync(folderFd.Get());
  return true;
}

std::filesystem::path SetAside(const std::filesystem::path& file, std::string_view suffix,
                               std::string& error) {
  for (int n = 1; n <= kMostAsideNames; ++n) {
    std::filesystem::path aside = file;
    aside += std::string(suffix) + "-" + std::to_string(n);
    if (RenameWithoutReplacing(file, aside)) return aside;
    if (errno != EEXIST) {
      error = Failure("cannot rename", file);
      return {};
    }
  }
  error = "cannot rename " + file.string() + ": too many files set aside already";
  return {};
}

FileLock::FileLock(const std::filesystem::path& file, int longestWaitMs) {
  std::filesystem::path lockFile = FinalTarget(file);
  lockFile += ".lock";
  if (!CreateFolders(lockFile.parent_path().empty() ? "." : lockFile.parent_path(), error_)) return;
  // Read-only is enough for flock; non-blocking, so that a FIFO in its place cannot hang the open.
  FileDescriptor fd(open(lockFile.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kNewFileMode));
  if (fd.Get() < 0) {
    error_ = Failure("cannot open the lock", lockFile);
    return;
  }
  for (int waited = 0;; waited += kLockRetryMs) {
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) break;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      error_ = Failure("cannot lock", lockFile);
      return;
    }
    if (waited >= longestWaitMs) {
      error_ = "cannot lock " + lockFile.string() + ": another program holds it";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kLockRetryMs));
  }
  fd_ = fd.Release();
}

FileLock::~FileLock() {
  if (fd_ >= 0) close(fd_);  // closing the last descriptor of the open file releases the lock
}

bool CreateFolders(const std::filesystem::path& folder, std::string& error) {
  if (folder.empty()) {
    error = "no folder to create";
    return false;
  }
  std::filesystem::path partial;
  for (const std::filesystem::path& part : folder) {
    partial /= part;
    if (mkdir(partial.c_str(), 0700) == 0) continue;
    // A folder already there will do, whatever the system says of making it again (Emscripten's
    // says EINVAL for the root).
    const int failure = errno;
    struct stat status {};
    if (stat(partial.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) continue;
    error = failure == EEXIST ? partial.string() + " is not a folder"
                              : "cannot create " + partial.string() + ": " + std::strerror(failure);
    return false;
  }
  return true;
}

}  // namespace pellaris::play

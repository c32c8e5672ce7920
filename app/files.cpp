#include "app/files.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "app/paths.h"

namespace pellaris::app {

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr int kMostAsideNames = 1000;

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

// The file the name stands for: the target of a symbolic link, else the name itself.
std::filesystem::path FinalTarget(const std::filesystem::path& file) {
  std::error_code failure;
  if (!std::filesystem::is_symlink(file, failure)) return file;
  std::filesystem::path target = std::filesystem::weakly_canonical(file, failure);
  return failure ? file : target;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: check first, which only two programs racing could defeat.
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

}  // namespace pellaris::app

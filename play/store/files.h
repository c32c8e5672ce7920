// The program's own small files, read with a size limit, replaced atomically, and set aside rather
// than lost when they cannot be used.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellaris::play {

enum class ReadStatus { Read, Missing, Unreadable, TooLarge };

struct FileContents {
  ReadStatus status = ReadStatus::Missing;
  std::string text;   // when Read
  std::string error;  // why not, when Unreadable or TooLarge
};

// The whole file if it is a regular file of at most `limit` bytes. A name ending in a folder ("dir/",
// "dir/.") is unreadable, whether or not the folder is there.
FileContents ReadSmallFile(const std::filesystem::path& file, std::size_t limit);

// Replaces the file's contents so that a reader sees either the old file or the new one whole, even
// after a crash or a power cut: a temporary file in the same folder, flushed to disk, then renamed
// over it. A symbolic link is followed, so a linked settings file stays linked. Missing folders are
// created. Only a regular file is replaced (a device, a FIFO or a folder is left alone). On failure
// the old file is untouched, no temporary file stays, and `error` says why.
bool ReplaceFile(const std::filesystem::path& file, std::string_view contents, std::string& error);

// Renames the file to the first free name "<file><suffix>-<n>", n = 1, 2, ..., never replacing
// another file; returns the new name, or an empty path with `error` set.
std::filesystem::path SetAside(const std::filesystem::path& file, std::string_view suffix,
                               std::string& error);

// An exclusive lock for a read-change-write of a file that another program may be changing at the
// same time: a flock on "<file>.lock" beside it (beside the file a symbolic link leads to), held for
// the object's life. The lock file is never deleted: a program that deleted it could leave two
// others each holding a lock on a file of its own. A lock held by another program is waited for a
// few seconds at most, so a stopped program never freezes this one.
class FileLock {
 public:
  static constexpr int kLongestWaitMs = 3000;

  explicit FileLock(const std::filesystem::path& file, int longestWaitMs = kLongestWaitMs);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  // Why the lock is not held.
  const std::string& Error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

// Creates `folder` and every missing folder above it, new ones readable by the owner only as XDG
// asks. False with a message in `error` when one cannot be made or a file stands in the way.
bool CreateFolders(const std::filesystem::path& folder, std::string& error);

}  // namespace pellaris::play

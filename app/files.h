// The program's own small files, read with a size limit, replaced atomically, and set aside rather
// than lost when they cannot be used.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellaris::app {

enum class ReadStatus { Read, Missing, Unreadable, TooLarge };

struct FileContents {
  ReadStatus status = ReadStatus::Missing;
  std::string text;   // when Read
  std::string error;  // why not, when Unreadable or TooLarge
};

// The whole file if it is a regular file of at most `limit` bytes.
FileContents ReadSmallFile(const std::filesystem::path& file, std::size_t limit);

// Replaces the file's contents so that a reader sees either the old file or the new one whole, even
// after a crash or a power cut: a temporary file in the same folder, flushed to disk, then renamed
// over it. A symbolic link is followed, so a linked settings file stays linked. Missing folders are
// created. On failure the old file is untouched, no temporary file stays, and `error` says why.
bool ReplaceFile(const std::filesystem::path& file, std::string_view contents, std::string& error);

// Renames the file to the first free name "<file><suffix>-<n>", n = 1, 2, ..., never replacing
// another file; returns the new name, or an empty path with `error` set.
std::filesystem::path SetAside(const std::filesystem::path& file, std::string_view suffix,
                               std::string& error);

}  // namespace pellaris::app

#include "app/board/outbox.h"

#include <algorithm>

#include "play/format/printable.h"
#include "play/format/recording.h"
#include "play/recorder.h"
#include "play/store/files.h"

namespace pellaris::app {

namespace {

constexpr std::string_view kDailyPrefix = "daily-";

std::string FileName(const std::string& recording, const std::optional<play::UtcDate>& daily) {
  return daily ? std::string(kDailyPrefix) + play::DateText(*daily) + "_" + recording : recording;
}

// The entry a file of the folder is, when its name is one Add gives.
std::optional<OutboxEntry> EntryOf(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  OutboxEntry entry{file, name, std::nullopt};
  if (name.starts_with(kDailyPrefix)) {
    constexpr std::size_t kDateEnd = kDailyPrefix.size() + 10;
    entry.daily = play::DateFromText(std::string_view(name).substr(kDailyPrefix.size(), 10));
    if (!entry.daily || name.size() <= kDateEnd || name[kDateEnd] != '_') return std::nullopt;
    entry.recording = name.substr(kDateEnd + 1);
  }
  if (!play::IsRecordingName(entry.recording)) return std::nullopt;
  return entry;
}

}  // namespace

bool Outbox::Add(const std::filesystem::path& recording, const std::optional<play::UtcDate>& daily,
                 std::vector<std::string>& dropped, std::string& error) {
  const play::FileContents contents = play::ReadSmallFile(recording, play::kLargestRecording);
  switch (contents.status) {
    case play::ReadStatus::Read:
      break;
    case play::ReadStatus::Missing:
      error = play::Printable(recording.string()) + " is gone";
      return false;
    case play::ReadStatus::TooLarge:
      error = play::Printable(recording.string()) + " is larger than a board takes";
      return false;
    case play::ReadStatus::Unreadable:
      error = play::Printable(contents.error);
      return false;
  }
  if (!play::ReplaceFile(folder_ / FileName(recording.filename().string(), daily), contents.text, error)) {
    error = play::Printable(error);
    return false;
  }
  const std::vector<OutboxEntry> waiting = Entries();
  for (std::size_t i = 0; i + kMostWaiting < waiting.size(); ++i) {
    Remove(waiting[i]);
    dropped.push_back(waiting[i].recording);
  }
  return true;
}

std::vector<OutboxEntry> Outbox::Entries() const {
  std::vector<OutboxEntry> entries;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(folder_, error)) {
    std::optional<OutboxEntry> entry = EntryOf(file.path());
    if (entry && file.is_regular_file(error) && !file.is_symlink(error)) entries.push_back(std::move(*entry));
  }
  // Recordings' names start with their date.
  std::sort(entries.begin(), entries.end(),
            [](const OutboxEntry& a, const OutboxEntry& b) { return a.recording < b.recording; });
  return entries;
}

void Outbox::Remove(const OutboxEntry& entry) const {
  std::error_code ignored;  // gone already: another game sent it
  std::filesystem::remove(entry.file, ignored);
}

}  // namespace pellaris::app

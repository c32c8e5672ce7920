#include "play/recorder.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "play/format/printable.h"
#include "play/store/files.h"

namespace pellaris::play {

namespace {

constexpr const char* kExtension = ".rec";
constexpr const char* kUnfinished = "_unfinished";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Whether the text is a date as RecordingStem writes it: digits where it has digits.
bool IsStem(std::string_view text) {
  constexpr std::string_view kShape = "0000-00-00_00-00-00";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] == '0' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

}  // namespace

// STEM "_" (SCORE or "unfinished") ["-" N] ".rec", the score a whole number that may be negative, N the
// number FreeName adds to tell two rounds apart.
bool IsRecordingName(std::string_view name) {
  constexpr std::size_t kStemSize = 19;
  if (!name.ends_with(kExtension) || !IsStem(name.substr(0, kStemSize))) return false;
  name.remove_suffix(std::string_view(kExtension).size());
  name.remove_prefix(kStemSize);
  if (name.starts_with(kUnfinished)) {
    name.remove_prefix(std::string_view(kUnfinished).size());
  } else {
    if (!name.starts_with("_")) return false;
    name.remove_prefix(name.starts_with("_-") ? 2 : 1);
    const std::size_t digits = std::min(name.find('-'), name.size());
    if (!AllDigits(name.substr(0, digits))) return false;
    name.remove_prefix(digits);
  }
  return name.empty() || (name.starts_with("-") && AllDigits(name.substr(1)));
}

std::string RecordingStem(rt::DateValue date) {
  char stem[32];
  std::snprintf(stem, sizeof stem, "%04d-%02d-%02d_%02d-%02d-%02d", rt::DateYear(date), rt::DateMonth(date),
                rt::DateDay(date), rt::DateHour(date), rt::DateMinute(date), rt::DateSecond(date));
  return stem;
}

Recorder::Recorder(std::filesystem::path folder, std::ostream& report)
    : folder_(std::move(folder)), report_(report) {}

Recorder::~Recorder() {
  Write();
}

void Recorder::RoundStarts(std::int64_t pass, const RecordingHeader& header) {
  if (broken_) return;
  std::string error;
  if (!CreateFolders(folder_, error)) {
    report_ << "pellaris: rounds are not recorded: " << Printable(error) << '\n';
    broken_ = true;
    return;
  }
  file_.close();
  stem_ = RecordingStem(header.date);
  path_ = FreeName(stem_ + kUnfinished);
  file_.open(path_, std::ios::binary | std::ios::trunc);
  if (!file_.is_open()) {
    report_ << "pellaris: this round is not recorded: cannot write " << Printable(path_.string()) << '\n';
    return;
  }
  firstPass_ = pass;
  pending_ = FormatHeader(header);
  lastWrite_ = pass;
  Write();
}

void Recorder::Pass(std::int64_t pass, const std::vector<ScriptEvent>& changes) {
  if (!file_.is_open()) return;
  // Readers hold a round to an hour of passes, which a long pause reaches: the recording ends there,
  // cut short, rather than go on where no reader follows.
  if (pass - firstPass_ + 1 > kMostRoundPasses) {
    Write();
    file_.close();
    report_ << "pellaris: this round has gone on longer than a recording holds; its recording ends at an "
               "hour, in "
            << Printable(path_.string()) << '\n';
    return;
  }
  for (ScriptEvent change : changes) {
    change.frame = pass - firstPass_ + 1;
    pending_ += FormatEvent(change);
  }
  if (pass - lastWrite_ >= kPassesBetweenWrites) {
    lastWrite_ = pass;
    Write();
  }
}

std::string Recorder::RoundEnds(std::int64_t pass, std::int32_t score) {
  if (!file_.is_open()) return "";
  ScriptEvent end;
  end.frame = pass - firstPass_ + 1;
  end.type = ScriptEvent::Type::End;
  end.a = score;
  pending_ += FormatEvent(end);
  Write();
  file_.close();
  if (!file_) {
    report_ << "pellaris: the recording " << Printable(path_.string()) << " could not be written\n";
    return "";
  }
  const std::filesystem::path finished = FreeName(stem_ + "_" + std::to_string(score));
  std::error_code error;
  std::filesystem::rename(path_, finished, error);
  if (error) {
    report_ << "pellaris: cannot name the recording " << Printable(path_.string()) << ": " << error.message()
            << '\n';
    return path_.filename().string();
  }
  return finished.filename().string();
}

void Recorder::Prune(const std::set<std::string>& keep) {
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (IsRecordingName(name) && entry.is_regular_file(error)) names.push_back(name);
  }
  std::sort(names.rbegin(), names.rend());  // newest first: the names start with the date
  for (std::size_t i = kKeptRecordings; i < names.size(); ++i) {
    if (!keep.contains(names[i])) std::filesystem::remove(folder_ / names[i], error);
  }
}

// Hands the round's new lines to the system, which keeps them through a crash of the program.
void Recorder::Write() {
  if (!file_.is_open() || pending_.empty()) return;
  file_ << pending_;
  file_.flush();
  pending_.clear();
}

std::filesystem::path Recorder::FreeName(const std::string& stem) const {
  std::filesystem::path name = folder_ / (stem + kExtension);
  std::error_code error;
  for (int n = 2; std::filesystem::exists(name, error); ++n)
    name = folder_ / (stem + "-" + std::to_string(n) + kExtension);
  return name;
}

}  // namespace pellaris::play

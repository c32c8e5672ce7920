#include "app/recorder.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/paths.h"

namespace pellaris::app {

namespace {

constexpr const char* kExtension = ".rec";
constexpr const char* kUnfinished = "_unfinished";

// A name this recorder gave: it starts with a date and ends in ".rec".
bool IsRecordingName(const std::string& name) {
  return name.size() > 4 && name[0] >= '0' && name[0] <= '9' && name.ends_with(kExtension);
}

}  // namespace

std::string RecordingStem(rt::DateValue date) {
  char stem[32];
  std::snprintf(stem, sizeof stem, "%04d-%02d-%02d_%02d-%02d-%02d", rt::DateYear(date), rt::DateMonth(date),
                rt::DateDay(date), rt::DateHour(date), rt::DateMinute(date), rt::DateSecond(date));
  return stem;
}

Recorder::Recorder(std::filesystem::path folder, replay::RecordingHeader session, std::ostream& report)
    : folder_(std::move(folder)), session_(std::move(session)), report_(report) {}

Recorder::~Recorder() {
  Write();
}

void Recorder::RoundStarts(std::int64_t pass, rt::DateValue date, bool fullScreen) {
  if (broken_) return;
  std::string error;
  if (!CreateFolders(folder_, error)) {
    report_ << "pellaris: rounds are not recorded: " << error << '\n';
    broken_ = true;
    return;
  }
  file_.close();
  stem_ = RecordingStem(date);
  path_ = FreeName(stem_ + kUnfinished);
  file_.open(path_, std::ios::binary | std::ios::trunc);
  if (!file_.is_open()) {
    report_ << "pellaris: this round is not recorded: cannot write " << path_.string() << '\n';
    return;
  }
  replay::RecordingHeader header = session_;
  header.roundStart = pass;
  header.fullScreen = fullScreen;
  pending_ = replay::FormatHeader(header) + sessionLines_;
  lastWrite_ = pass;
  Write();
}

void Recorder::Pass(std::int64_t pass, const std::vector<replay::ScriptEvent>& changes) {
  for (const replay::ScriptEvent& change : changes) {
    const std::string line = replay::FormatEvent(change);
    sessionLines_ += line;
    if (file_.is_open()) pending_ += line;
  }
  if (pass - lastWrite_ >= kPassesBetweenWrites) {
    lastWrite_ = pass;
    Write();
  }
}

std::string Recorder::RoundEnds(std::int64_t pass, std::int32_t score) {
  if (!file_.is_open()) return "";
  replay::ScriptEvent end;
  end.frame = pass;
  end.type = replay::ScriptEvent::Type::End;
  end.a = score;
  pending_ += replay::FormatEvent(end);
  Write();
  file_.close();
  if (!file_) {
    report_ << "pellaris: the recording " << path_.string() << " could not be written\n";
    return "";
  }
  const std::filesystem::path finished = FreeName(stem_ + "_" + std::to_string(score));
  std::error_code error;
  std::filesystem::rename(path_, finished, error);
  if (error) {
    report_ << "pellaris: cannot name the recording " << path_.string() << ": " << error.message() << '\n';
    return path_.filename().string();
  }
  return finished.filename().string();
}

void Recorder::Prune(const std::set<std::string>& keep) {
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (IsRecordingName(name)) names.push_back(name);
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

}  // namespace pellaris::app

#include "play/store/scores.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>

#include "play/format/printable.h"
#include "play/store/files.h"
#include "runtime/core/text.h"

namespace pellaris::play {

namespace {

// The file: this header line, then one line per round, best first:
//   SCORE DATE VERIFIED RECORDING
// SCORE a signed decimal, DATE the date value in decimal, VERIFIED 0 or 1, RECORDING the file name
// with spaces, controls, backslashes written \xNN, or "-" for none.
constexpr std::string_view kHeader = "pellaris scores ";
constexpr int kVersion = 1;
constexpr std::size_t kLargestFile = 64 * 1024;
constexpr const char* kDateMask = "%yyyy-%mm-%dd %hh:%ii";

bool NeedsEscape(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= ' ' || byte == 0x7F || c == '\\';
}

std::string EscapedName(std::string_view name) {
  if (name.empty()) return "-";
  if (name == "-") return "\\x2d";
  constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char c : name) {
    if (!NeedsEscape(c)) {
      out += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

std::optional<std::string> UnescapedName(std::string_view field) {
  if (field == "-") return std::string();
  std::string name;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (NeedsEscape(field[i]) && field[i] != '\\') return {};  // never written so: damage
    if (field[i] != '\\') {
      name += field[i];
      continue;
    }
    unsigned value = 0;
    const char* digits = field.data() + i + 2;
    if (i + 4 > field.size() || field[i + 1] != 'x' ||
        std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2) {
      return {};
    }
    name += static_cast<char>(value);
    i += 3;
  }
  return name;
}

template <typename Number>
std::optional<Number> Decimal(std::string_view field) {
  Number value{};
  const auto [end, failure] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || failure != std::errc{} || end != field.data() + field.size()) return {};
  return value;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t space = line.find(' ');; space = line.find(' ', start)) {
    fields.push_back(line.substr(start, space - start));
    if (space == std::string_view::npos) break;
    start = space + 1;
  }
  return fields;
}

std::optional<ScoredRound> ParseRound(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() != 4) return {};
  const auto score = Decimal<std::int32_t>(fields[0]);
  const auto date = Decimal<rt::DateValue>(fields[1]);
  auto recording = UnescapedName(fields[3]);
  if (!score || !date || !recording || (fields[2] != "0" && fields[2] != "1")) return {};
  return ScoredRound{*score, *date, std::move(*recording), fields[2] == "1"};
}

// The next line of the text without its line end (LF or CR LF), or nothing when the text holds no
// whole line; the text is left after it.
std::optional<std::string_view> TakeLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return {};
  std::string_view line = text.substr(0, end);
  if (line.ends_with('\r')) line.remove_suffix(1);
  text.remove_prefix(end + 1);
  return line;
}

ScoresText Damaged(std::string why) {
  return {ScoresText::Kind::Damaged, {}, std::move(why)};
}

// The header's version, or why the text has none of ours.
std::optional<ScoresText> VersionProblem(std::optional<std::string_view> header) {
  const std::string expected = std::string(kHeader) + std::to_string(kVersion);
  if (!header || !header->starts_with(kHeader)) return Damaged("it does not start with \"" + expected + "\"");
  const std::optional<int> version = Decimal<int>(header->substr(kHeader.size()));
  if (version && *version > kVersion) {
    return ScoresText{ScoresText::Kind::Newer, {}, "\"" + std::string(*header) + "\""};
  }
  if (version != kVersion) return Damaged("it is of another version: \"" + std::string(*header) + "\"");
  return {};
}

// The file as it was read: the table, or why it cannot be used. A damaged file is to be set aside,
// one to leave alone has the problem in its outcome.
struct FileReading {
  ScoresOutcome outcome;
  std::string damage;
};

FileReading ReadScoresFile(const std::filesystem::path& file) {
  FileReading reading;
  const FileContents contents = ReadSmallFile(file, kLargestFile);
  const std::string name = Printable(file.string());
  const std::string leftAlone = "; it is left as it is, and no scores are saved while it is there";
  if (contents.status == ReadStatus::Unreadable)
    reading.outcome.problem = Printable(contents.error) + leftAlone;
  if (contents.status == ReadStatus::TooLarge) reading.damage = Printable(contents.error);
  if (contents.status != ReadStatus::Read) return reading;
  ScoresText text = ParseScores(contents.text);
  switch (text.kind) {
    case ScoresText::Kind::Table:
      reading.outcome.table = std::move(text.table);
      break;
    case ScoresText::Kind::Newer:
      reading.outcome.problem = name + " is from a newer Pellaris (" + Printable(text.why) + ")" + leftAlone;
      break;
    case ScoresText::Kind::Damaged:
      reading.damage = name + " is damaged: " + Printable(text.why);
      break;
  }
  return reading;
}

// With the lock held: a damaged file goes aside, and the scores start afresh.
ScoresOutcome SetAsideIfDamaged(const std::filesystem::path& file, FileReading reading,
                                std::ostream& report) {
  if (reading.damage.empty()) return std::move(reading.outcome);
  ScoresOutcome outcome;
  std::string error;
  const std::filesystem::path aside = SetAside(file, ".damaged", error);
  if (aside.empty()) {
    outcome.problem =
        reading.damage + "; it cannot be set aside (" + Printable(error) + "), so no scores are saved";
    return outcome;
  }
  report << reading.damage << "; it is kept as " << Printable(aside.string())
         << " and the high scores start afresh\n";
  return outcome;
}

// With the lock held: the file read again, changed and written.
ScoresOutcome ChangeLocked(const std::filesystem::path& file, const ScoresChange& change,
                           std::ostream& report) {
  ScoresOutcome outcome = SetAsideIfDamaged(file, ReadScoresFile(file), report);
  if (!change(outcome.table) || !outcome.problem.empty()) return outcome;
  std::string error;
  outcome.saved = ReplaceFile(file, FormatScores(outcome.table), error);
  if (!outcome.saved) outcome.problem = Printable(error) + "; the high scores are not saved";
  return outcome;
}

bool MarkChecked(ScoreTable& table, const std::vector<RecordingCheck>& checks) {
  bool changed = false;
  for (std::size_t place = 0; place < table.Best().size(); ++place) {
    const ScoredRound& round = table.Best()[place];
    const bool verified = std::any_of(checks.begin(), checks.end(), [&](const RecordingCheck& check) {
      return check.verified && check.recording == round.recording && check.score == round.score;
    });
    if (verified && !round.verified) {
      table.MarkVerified(place);
      changed = true;
    }
  }
  return changed;
}

// "<file>.checked": this header, then "failed RECORDING" lines, the name written as in the scores.
constexpr std::string_view kCheckedHeader = "pellaris checked 1";
constexpr std::string_view kFailed = "failed ";

std::filesystem::path CheckedFile(const std::filesystem::path& file) {
  std::filesystem::path checked = file;
  return checked += ".checked";
}

// Only a list of checks, or no file at all, is written over: a link may lead anywhere.
bool ChecksListOrNone(const std::filesystem::path& checked, std::ostream& report) {
  const FileContents contents = ReadSmallFile(checked, kLargestFile);
  if (contents.status == ReadStatus::Missing ||
      (contents.status == ReadStatus::Read &&
       (contents.text.empty() || contents.text.starts_with(kCheckedHeader))))
    return true;
  report
      << Printable(checked.string())
      << " is not a list of checked rounds; it is left as it is, and the failed checks will be made again\n";
  return false;
}

// Written with the scores' lock held, for the rounds in the table as it is then.
void KeepFailures(const std::filesystem::path& file, const std::vector<RecordingCheck>& checks,
                  std::ostream& report) {
  if (!ChecksListOrNone(CheckedFile(file), report)) return;
  std::set<std::string> failed = FailedChecks(file);
  for (const RecordingCheck& check : checks) {
    if (!check.verified) failed.insert(check.recording);
  }
  std::string text = std::string(kCheckedHeader) + "\n";
  const ScoreTable table = ReadScoresFile(file).outcome.table;
  for (const ScoredRound& round : table.Best()) {
    if (failed.contains(round.recording)) text += std::string(kFailed) + EscapedName(round.recording) + "\n";
  }
  std::string error;
  if (!ReplaceFile(CheckedFile(file), text, error)) {
    report << Printable(error) << "; the failed checks will be made again\n";
  }
}

}  // namespace

std::optional<std::size_t> ScoreTable::Add(const ScoredRound& round) {
  const auto place =
      std::upper_bound(rounds_.begin(), rounds_.end(), round,
                       [](const ScoredRound& a, const ScoredRound& b) { return a.score > b.score; });
  const auto index = static_cast<std::size_t>(place - rounds_.begin());
  if (index >= kSize) return {};
  rounds_.insert(place, round);
  if (rounds_.size() > kSize) rounds_.pop_back();
  return index;
}

ScoresText ParseScores(std::string_view text) {
  if (auto problem = VersionProblem(TakeLine(text))) return std::move(*problem);
  ScoresText scores;
  for (std::size_t number = 2; !text.empty(); ++number) {
    const std::optional<std::string_view> line = TakeLine(text);
    if (!line) return Damaged("line " + std::to_string(number) + " is cut short");
    const std::optional<ScoredRound> round = ParseRound(*line);
    if (!round)
      return Damaged("line " + std::to_string(number) + " is not \"SCORE DATE VERIFIED RECORDING\"");
    if (number - 1 > ScoreTable::kSize) {
      return Damaged("it has more than " + std::to_string(ScoreTable::kSize) + " rounds");
    }
    scores.table.Add(*round);
  }
  return scores;
}

std::string FormatScores(const ScoreTable& table) {
  std::string text = std::string(kHeader) + std::to_string(kVersion) + "\n";
  for (const ScoredRound& round : table.Best()) {
    text += std::to_string(round.score) + " " + std::to_string(round.date) + " " +
            (round.verified ? "1" : "0") + " " + EscapedName(round.recording) + "\n";
  }
  return text;
}

ScoresOutcome LoadScores(const std::filesystem::path& file, std::ostream& report) {
  if (file.empty()) return {};
  FileReading reading = ReadScoresFile(file);
  if (reading.damage.empty()) return std::move(reading.outcome);
  // Set aside only what is still damaged once no other game can be writing it.
  const FileLock lock(file);
  if (!lock.Held())
    return {{}, false, reading.damage + "; " + Printable(lock.Error()) + ", so no scores are saved"};
  return SetAsideIfDamaged(file, ReadScoresFile(file), report);
}

ScoresOutcome UpdateScores(const std::filesystem::path& file, const ScoresChange& change,
                           std::ostream& report) {
  if (file.empty()) {
    ScoresOutcome outcome;
    change(outcome.table);
    outcome.problem = "there is no home folder to keep the high scores in";
    return outcome;
  }
  const FileLock lock(file);
  if (lock.Held()) return ChangeLocked(file, change, report);
  ScoresOutcome outcome = ReadScoresFile(file).outcome;
  change(outcome.table);
  outcome.problem = Printable(lock.Error()) + "; the high scores are not saved";
  return outcome;
}

std::set<std::string> FailedChecks(const std::filesystem::path& file) {
  std::set<std::string> failed;
  const FileContents contents = ReadSmallFile(CheckedFile(file), kLargestFile);
  std::string_view text = contents.text;
  if (TakeLine(text) != kCheckedHeader) return failed;
  while (const std::optional<std::string_view> line = TakeLine(text)) {
    if (!line->starts_with(kFailed)) continue;  // a line it cannot read: that round is checked again
    if (auto name = UnescapedName(line->substr(kFailed.size())); name && !name->empty()) failed.insert(*name);
  }
  return failed;
}

ScoresOutcome RecordChecks(const std::filesystem::path& file, const std::vector<RecordingCheck>& checks,
                           std::ostream& report) {
  if (file.empty()) return {};
  const FileLock lock(file);
  if (!lock.Held()) {
    ScoresOutcome outcome = ReadScoresFile(file).outcome;
    MarkChecked(outcome.table, checks);
    outcome.problem = Printable(lock.Error()) + "; the checks are not kept";
    return outcome;
  }
  ScoresOutcome outcome = ChangeLocked(
      file, [&](ScoreTable& table) { return MarkChecked(table, checks); }, report);
  if (outcome.problem.empty()) KeepFailures(file, checks, report);
  return outcome;
}

std::string FormatTable(const ScoreTable& table) {
  if (table.Best().empty()) return "No high scores yet.\n";
  std::size_t scoreWidth = std::string_view("Score").size();
  for (const ScoredRound& round : table.Best())
    scoreWidth = std::max(scoreWidth, std::to_string(round.score).size());
  const auto right = [](std::string text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
  };
  const bool recorded = std::any_of(table.Best().begin(), table.Best().end(),
                                    [](const ScoredRound& round) { return !round.recording.empty(); });
  std::string text = right("#", 2) + "  " + right("Score", scoreWidth) + "  Date" +
                     (recorded ? "              Recording\n" : "\n");
  rt::StringVariable date;
  std::size_t place = 1;
  for (const ScoredRound& round : table.Best()) {
    const rt::TextPosition start = rt::AccumulatorTop();
    rt::FormatDate(kDateMask, round.date, start);
    rt::AssignString(date, start);
    text += right(std::to_string(place++), 2) + "  " + right(std::to_string(round.score), scoreWidth) + "  " +
            date.Text();
    // A recording that plays back to the score is marked: anyone can check the round with it.
    if (!round.recording.empty())
      text += std::string(round.verified ? "  verified " : "           ") + Printable(round.recording);
    text += "\n";
  }
  return text;
}

}  // namespace pellaris::play

#include "app/scores.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>

#include "app/files.h"
#include "app/paths.h"
#include "app/printable.h"
#include "runtime/core/text.h"

namespace pellaris::app {

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

// The table in the text, or why it is not one.
struct Reading {
  ScoreTable table;
  std::string damage;
};

Reading ReadTable(std::string_view text) {
  Reading reading;
  const std::size_t headerEnd = text.find('\n');
  const std::string_view header = text.substr(0, headerEnd);
  if (!header.starts_with(kHeader) || headerEnd == std::string_view::npos) {
    reading.damage = "it does not start with \"" + std::string(kHeader) + std::to_string(kVersion) + "\"";
    return reading;
  }
  if (header.substr(kHeader.size()) != std::to_string(kVersion)) {
    reading.damage = "it is of another version: \"" + std::string(header) + "\"";
    return reading;
  }
  text.remove_prefix(headerEnd + 1);
  std::size_t number = 2;
  std::size_t count = 0;
  for (; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      reading.damage = "line " + std::to_string(number) + " is cut short";
      return reading;
    }
    const std::optional<ScoredRound> round = ParseRound(text.substr(0, end));
    if (!round) {
      reading.damage = "line " + std::to_string(number) + " is not \"SCORE DATE VERIFIED RECORDING\"";
      return reading;
    }
    if (++count > ScoreTable::kSize) {
      reading.damage = "it has more than " + std::to_string(ScoreTable::kSize) + " rounds";
      return reading;
    }
    reading.table.Add(*round);
    text.remove_prefix(end + 1);
  }
  return reading;
}

std::string TableText(const ScoreTable& table) {
  std::string text = std::string(kHeader) + std::to_string(kVersion) + "\n";
  for (const ScoredRound& round : table.Best()) {
    text += std::to_string(round.score) + " " + std::to_string(round.date) + " " +
            (round.verified ? "1" : "0") + " " + EscapedName(round.recording) + "\n";
  }
  return text;
}

// Checks the file that a save would replace: true when it may be replaced (missing, or scores), else
// it is set aside first; false if it could not be.
bool ReadyToReplace(const std::filesystem::path& file, std::ostream& report, ScoreTable* loaded) {
  const FileContents contents = ReadSmallFile(file, kLargestFile);
  std::string damage = contents.error;
  if (contents.status == ReadStatus::Missing) return true;
  if (contents.status == ReadStatus::Read) {
    Reading reading = ReadTable(contents.text);
    if (reading.damage.empty()) {
      if (loaded) *loaded = std::move(reading.table);
      return true;
    }
    damage = file.string() + " is damaged: " + reading.damage;
  }
  std::string error;
  const std::filesystem::path aside = SetAside(file, ".damaged", error);
  if (aside.empty()) {
    report << Printable(damage) << "; it cannot be set aside (" << Printable(error)
           << "), so no scores are saved\n";
    return false;
  }
  report << Printable(damage) << "; it is kept as " << Printable(aside.string())
         << " and the high scores start afresh\n";
  return true;
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

std::filesystem::path DefaultScoresFile() {
  const std::filesystem::path folder = DataFolder();
  return folder.empty() ? folder : folder / "scores";
}

ScoreTable LoadScores(const std::filesystem::path& file, std::ostream& report) {
  ScoreTable table;
  if (!file.empty()) ReadyToReplace(file, report, &table);
  return table;
}

bool SaveScores(const std::filesystem::path& file, const ScoreTable& table, std::ostream& report) {
  if (file.empty()) {
    report << "there is no home folder to keep the high scores in\n";
    return false;
  }
  if (!ReadyToReplace(file, report, nullptr)) return false;
  std::string error;
  if (ReplaceFile(file, TableText(table), error)) return true;
  report << Printable(error) << "; the high scores are not saved\n";
  return false;
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

}  // namespace pellaris::app

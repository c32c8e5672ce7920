#include "server/request.h"

#include "server/player.h"

namespace pellaris::board {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A form's encoding: %XX escapes and '+' for a space.
std::optional<std::string> Decoded(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      decoded += ' ';
    } else if (text[i] != '%') {
      decoded += text[i];
    } else {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return decoded;
}

std::optional<std::uint64_t> Decimal(std::string_view text, std::uint64_t most) {
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > most) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Target> ParseTarget(std::string_view target) {
  if (target.empty() || target[0] != '/') return std::nullopt;
  Target parsed;
  const std::size_t question = target.find('?');
  const std::string_view path = target.substr(1, question == std::string_view::npos ? std::string_view::npos : question - 1);
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    parsed.path.emplace_back(path.substr(start, slash - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  if (parsed.path.size() == 1 && parsed.path[0].empty()) parsed.path.clear();  // "/"
  if (question == std::string_view::npos) return parsed;
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    const std::optional<std::string> name = Decoded(pair.substr(0, equals));
    const std::optional<std::string> value =
        Decoded(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
    if (!name || !value || !parsed.query.emplace(*name, *value).second) return std::nullopt;
  }
  return parsed;
}

std::variant<Submission, std::string> ParseSubmission(const std::map<std::string, std::string>& query) {
  for (const auto& [name, value] : query) {
    if (name != "name" && name != "install" && name != "daily") return "a submission takes name, install and daily";
  }
  const auto name = query.find("name"), install = query.find("install"), daily = query.find("daily");
  if (name == query.end()) return "a submission names its player: name=NAME";
  if (install == query.end()) return "a submission gives its install's id: install=32 hexadecimal digits";
  Submission submission;
  std::string problem;
  const std::optional<std::string> validName = ValidPlayerName(name->second, problem);
  if (!validName) return problem;
  const std::optional<std::string> validInstall = ValidInstallId(install->second);
  if (!validInstall) return "an install id is 32 hexadecimal digits";
  submission.name = *validName;
  submission.installId = *validInstall;
  if (daily != query.end()) {
    submission.daily = play::DateFromText(daily->second);
    if (!submission.daily) return "a daily is a date, YYYY-MM-DD";
  }
  return submission;
}

std::optional<std::int64_t> ParseRoundId(std::string_view text) {
  const std::optional<std::uint64_t> id = Decimal(text, 1000000000000000000u);
  if (!id || *id == 0) return std::nullopt;
  return static_cast<std::int64_t>(*id);
}

std::optional<std::uint32_t> ParseSeed(std::string_view text) {
  const std::optional<std::uint64_t> seed = Decimal(text, 4294967295u);
  if (!seed) return std::nullopt;
  return static_cast<std::uint32_t>(*seed);
}

}  // namespace pellaris::board

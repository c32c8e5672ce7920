#include "runtime/platform/sdl/sdl_pad_mappings.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace rt::platform {

namespace {

constexpr std::string_view kPlatformField = "platform:";

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// SDL takes a line only when it names a platform, ended by a comma, and that platform is its own.
bool ForPlatform(std::string_view line, std::string_view platform) {
  const std::size_t field = line.find(kPlatformField);
  if (field == std::string_view::npos) return false;
  const std::size_t start = field + kPlatformField.size();
  const std::size_t comma = line.find(',', start);
  return comma != std::string_view::npos && SameIgnoringCase(line.substr(start, comma - start), platform);
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

PadMappingLines SelectPadMappings(std::string_view text, std::string_view platform, std::size_t largest) {
  PadMappingLines kept;
  std::unordered_map<std::string_view, std::size_t> placeOf;  // a controller's GUID: its line in `kept`
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    if (line.empty() || line.front() == '#' || !ForPlatform(line, platform)) continue;
    const std::string_view guid = line.substr(0, line.find(','));
    if (const auto known = placeOf.find(guid); known != placeOf.end()) {
      kept.lines[known->second] = std::string(line);
    } else if (kept.lines.size() < largest) {
      placeOf.emplace(guid, kept.lines.size());
      kept.lines.emplace_back(line);
    } else {
      kept.cut = true;
    }
  }
  return kept;
}

}  // namespace rt::platform

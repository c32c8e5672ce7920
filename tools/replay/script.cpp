#include "tools/replay/script.h"

#include <charconv>

#include "runtime/platform/pad.h"

namespace pellaris::replay {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

template <typename Number>
bool ParseNumber(std::string_view word, Number& out) {
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, out);
  return error == std::errc() && stop == end;
}

bool ParseInt(std::string_view word, int low, int high, int& out) {
  return ParseNumber(word, out) && out >= low && out <= high;
}

template <typename Control, typename NameOf>
std::string NameList(int count, NameOf name) {
  std::string list;
  for (int i = 0; i < count; ++i) list += std::string(i == 0 ? "" : ", ") + name(static_cast<Control>(i));
  return list;
}

// The words after "pad"; `reason` says what is wrong when they do not form an event.
bool ParsePadEvent(const std::vector<std::string_view>& w, ScriptEvent& event, std::string& reason) {
  using Type = ScriptEvent::Type;
  using rt::platform::PadAxis;
  using rt::platform::PadButton;
  const std::size_t n = w.size();
  if (n == 3 && (w[2] == "connect" || w[2] == "disconnect")) {
    event.type = w[2] == "connect" ? Type::PadConnect : Type::PadDisconnect;
    return true;
  }
  if (n == 4 && (w[2] == "down" || w[2] == "up")) {
    event.type = w[2] == "down" ? Type::PadDown : Type::PadUp;
    PadButton button{};
    if (!rt::platform::PadButtonFromName(w[3], button)) {
      reason = "\"" + Printable(w[3]) + "\" is not a pad button (" +
               NameList<PadButton>(rt::platform::kPadButtonCount, rt::platform::PadButtonName) + ")";
      return false;
    }
    event.a = static_cast<int>(button);
    return true;
  }
  if (n == 5 && w[2] == "axis") {
    event.type = Type::PadAxis;
    PadAxis axis{};
    if (!rt::platform::PadAxisFromName(w[3], axis)) {
      reason = "\"" + Printable(w[3]) + "\" is not a pad axis (" +
               NameList<PadAxis>(rt::platform::kPadAxisCount, rt::platform::PadAxisName) + ")";
      return false;
    }
    event.a = static_cast<int>(axis);
    if (!ParseInt(w[4], rt::platform::kPadAxisMin, rt::platform::kPadAxisMax, event.b)) {
      reason = "a pad axis value is a whole number from -32768 to 32767";
      return false;
    }
    return true;
  }
  reason = "a pad line is 'F pad down|up BUTTON', 'F pad axis AXIS VALUE' or 'F pad connect|disconnect'";
  return false;
}

// Fills `event` from the words after the frame number; false when they do not form an event, with
// the reason when there is more to say than that.
bool ParseEvent(const std::vector<std::string_view>& w, ScriptEvent& event, std::string& reason) {
  using Type = ScriptEvent::Type;
  const std::size_t n = w.size();
  if (n >= 2 && w[1] == "pad") return ParsePadEvent(w, event, reason);
  if (n == 4 && w[1] == "key" && (w[2] == "down" || w[2] == "up")) {
    event.type = w[2] == "down" ? Type::KeyDown : Type::KeyUp;
    return ParseInt(w[3], 0, 255, event.a);
  }
  if (n == 4 && w[1] == "button" && (w[2] == "down" || w[2] == "up")) {
    event.type = w[2] == "down" ? Type::ButtonDown : Type::ButtonUp;
    return ParseInt(w[3], 1, 8, event.a);
  }
  if (n == 4 && w[1] == "move") {
    event.type = Type::Move;
    return ParseInt(w[2], -100000, 100000, event.a) && ParseInt(w[3], -100000, 100000, event.b);
  }
  if (n == 3 && w[1] == "focus" && (w[2] == "lost" || w[2] == "gained")) {
    event.type = w[2] == "lost" ? Type::FocusLost : Type::FocusGained;
    return true;
  }
  if (n == 2 && w[1] == "close") {
    event.type = Type::Close;
    return true;
  }
  if (n == 3 && w[1] == "clock") {
    event.type = Type::Clock;
    // A date value is a signed 32-bit count of seconds, so larger jumps mean nothing.
    return ParseNumber(w[2], event.seconds) && event.seconds >= -2147483647 && event.seconds <= 2147483647;
  }
  return false;
}

bool ParseFrame(std::string_view word, std::int64_t& frame) {
  return ParseNumber(word, frame) && frame >= 1 && frame <= kLastScriptFrame;
}

}  // namespace

std::string Printable(std::string_view line) {
  constexpr std::size_t kShown = 80;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char c : line.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += c;
    } else {
      shown.append("\\x").push_back(kHex[byte >> 4]);
      shown.push_back(kHex[byte & 0xF]);
    }
  }
  if (line.size() > kShown) shown += "...";
  return shown;
}

ParseResult ParseScript(std::string_view text) {
  ParseResult result;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    ScriptEvent event;
    std::string problem, reason;
    if (!ParseFrame(words[0], event.frame)) {
      problem = "the frame number must be a whole number from 1 to " + std::to_string(kLastScriptFrame);
    } else if (!ParseEvent(words, event, reason)) {
      problem = "cannot read \"" + Printable(line) + "\"" + (reason.empty() ? "" : ": " + reason);
    }
    if (!problem.empty()) {
      result.events.clear();
      result.error = "line " + std::to_string(lineNumber) + ": " + problem;
      return result;
    }
    result.events.push_back(event);
  }
  return result;
}

}  // namespace pellaris::replay

#include "play/format/script.h"

#include "play/format/fields.h"
#include "play/format/printable.h"
#include "runtime/platform/pad.h"

namespace pellaris::play {

namespace {

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

bool ParseRecordedEvent(const std::vector<std::string_view>& w, ScriptEvent& event);

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
  return ParseRecordedEvent(w, event);
}

// The lines only a recording has.
bool ParseRecordedEvent(const std::vector<std::string_view>& w, ScriptEvent& event) {
  using Type = ScriptEvent::Type;
  const std::size_t n = w.size();
  if (n == 3 && w[1] == "time") {
    event.type = Type::Time;
    return ParseNumber(w[2], event.seconds) && event.seconds >= 0 && event.seconds <= 2147483647;
  }
  if (n == 3 && w[1] == "pause" && (w[2] == "on" || w[2] == "off")) {
    event.type = Type::Pause;
    event.a = w[2] == "on" ? 1 : 0;
    return true;
  }
  if (n == 3 && w[1] == "end") {
    event.type = Type::End;
    return ParseNumber(w[2], event.a);
  }
  return false;
}

bool RecordedOnly(ScriptEvent::Type type) {
  using Type = ScriptEvent::Type;
  return type == Type::Time || type == Type::Pause || type == Type::End;
}

// What the devices did, which a recording has as the game read it instead.
bool DevicesOnly(ScriptEvent::Type type) {
  using Type = ScriptEvent::Type;
  return type == Type::Clock || type == Type::PadDown || type == Type::PadUp || type == Type::PadAxis ||
         type == Type::PadConnect || type == Type::PadDisconnect;
}

bool ParseFrame(std::string_view word, std::int64_t& frame) {
  return ParseNumber(word, frame) && frame >= 1 && frame <= kLastScriptFrame;
}

// The first line's words: a recording's format, or nothing for a plain script.
std::optional<std::string_view> RecordingFormatWord(const std::vector<std::string_view>& words) {
  if (words.empty() || words[0] != "pellaris-recording") return std::nullopt;
  return words.size() == 2 ? words[1] : std::string_view();
}

// A format number above this program's (however many digits it has).
bool NewerFormat(std::string_view word) {
  int format = 0;
  const bool digits = !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
  return digits && (!ParseNumber(word, format) || format > kRecordingFormat);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

ParseResult ParseScript(std::string_view text) {
  ParseResult result;
  std::size_t lineNumber = 0;
  std::optional<RecordingReader> recording;
  bool firstLine = true, inHeader = false;
  auto fail = [&](const std::string& problem) {
    result = ParseResult{};
    result.error = "line " + std::to_string(lineNumber) + ": " + problem;
    return result;
  };
  if (text.starts_with(kByteOrderMark)) {
    lineNumber = 1;
    return fail("the file starts with a byte order mark; save it as plain text (UTF-8) without one");
  }
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    // A recording is written a whole line at a time: a last line without its end was cut short as it
    // was written (a full disk, a crash), and the recording ends before it.
    if (recording && newline == std::string_view::npos) break;
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    std::string reason;
    if (firstLine) {
      firstLine = false;
      if (const std::optional<std::string_view> formatWord = RecordingFormatWord(words)) {
        int format = 0;
        if (!ParseNumber(*formatWord, format) || format < kFirstRecordingFormat ||
            format > kRecordingFormat) {
          return fail("this recording is in format \"" + Printable(*formatWord) +
                      "\"; this Pellaris reads formats " + std::to_string(kFirstRecordingFormat) + " to " +
                      std::to_string(kRecordingFormat) +
                      (NewerFormat(*formatWord) ? ": a newer Pellaris plays it" : ""));
        }
        recording.emplace(format);
        inHeader = true;
        continue;
      }
    }
    if (inHeader && (words[0][0] < '0' || words[0][0] > '9')) {
      if (!recording->HeaderLine(words, reason))
        return fail("cannot read \"" + Printable(line) + "\": " + reason);
      continue;
    }
    if (inHeader && !recording->HeaderDone(reason)) return fail(reason);
    inHeader = false;
    ScriptEvent event;
    std::string problem;
    if (!ParseFrame(words[0], event.frame)) {
      problem = "the frame number must be a whole number from 1 to " + std::to_string(kLastScriptFrame);
    } else if (!ParseEvent(words, event, reason)) {
      problem = "cannot read \"" + Printable(line) + "\"" + (reason.empty() ? "" : ": " + reason);
    } else if (recording && DevicesOnly(event.type)) {
      problem = "a recording holds what the game read: \"" + Printable(line) + "\" belongs in a script";
    } else if (!recording && RecordedOnly(event.type)) {
      problem = "\"" + Printable(line) + "\" belongs in a recording (one starting 'pellaris-recording')";
    } else if (recording && !recording->Pass(event, reason)) {
      problem = reason;
    }
    if (!problem.empty()) return fail(problem);
    result.events.push_back(event);
  }
  if (std::string reason; inHeader && !recording->HeaderDone(reason)) return fail(reason);
  if (recording) result.recording = std::move(recording->Header());
  return result;
}

std::string FormatEvent(const ScriptEvent& event) {
  using Type = ScriptEvent::Type;
  using rt::platform::PadAxis;
  using rt::platform::PadButton;
  const std::string frame = std::to_string(event.frame) + " ";
  const std::string a = std::to_string(event.a);
  switch (event.type) {
    case Type::KeyDown:
      return frame + "key down " + a + "\n";
    case Type::KeyUp:
      return frame + "key up " + a + "\n";
    case Type::ButtonDown:
      return frame + "button down " + a + "\n";
    case Type::ButtonUp:
      return frame + "button up " + a + "\n";
    case Type::Move:
      return frame + "move " + a + " " + std::to_string(event.b) + "\n";
    case Type::FocusLost:
      return frame + "focus lost\n";
    case Type::FocusGained:
      return frame + "focus gained\n";
    case Type::Close:
      return frame + "close\n";
    case Type::Clock:
      return frame + "clock " + std::to_string(event.seconds) + "\n";
    case Type::PadDown:
      return frame + "pad down " + rt::platform::PadButtonName(static_cast<PadButton>(event.a)) + "\n";
    case Type::PadUp:
      return frame + "pad up " + rt::platform::PadButtonName(static_cast<PadButton>(event.a)) + "\n";
    case Type::PadAxis:
      return frame + "pad axis " + rt::platform::PadAxisName(static_cast<PadAxis>(event.a)) + " " +
             std::to_string(event.b) + "\n";
    case Type::PadConnect:
      return frame + "pad connect\n";
    case Type::PadDisconnect:
      return frame + "pad disconnect\n";
    case Type::Time:
      return frame + "time " + std::to_string(event.seconds) + "\n";
    case Type::Pause:
      return frame + (event.a != 0 ? "pause on\n" : "pause off\n");
    case Type::End:
      return frame + "end " + a + "\n";
  }
  return frame + "\n";
}

}  // namespace pellaris::play

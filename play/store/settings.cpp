#include "play/store/settings.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <sstream>
#include <vector>

#include "play/controls/key_names.h"
#include "play/controls/pad_names.h"
#include "play/format/player.h"
#include "play/format/printable.h"
#include "play/store/files.h"

namespace pellaris::play {

namespace {

constexpr std::size_t kLargestFile = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The file's first line says that the program wrote it, and so may write it again.
constexpr std::string_view kOwnLine = "# Pellaris settings.";
constexpr const char* kFileComment =
    "# Pellaris settings. Change a value after its \"=\"; a '#' starts a comment.\n"
    "# A line the game cannot use is reported when it starts and ignored, so the\n"
    "# default stays in force. Delete this file to have it written afresh.\n";

struct Section {
  std::string_view name;
  const char* comment;
};

constexpr Section kSections[] = {
    {"display", nullptr},
    {"sound", nullptr},
    {"replays", nullptr},
    {"keys",
     "# The keys of each control, separated by commas; a control may have none.\n"
     "# Names: A to Z, 0 to 9, F1 to F15, Escape, Enter, Space, Tab, Backspace,\n"
     "# LeftCtrl, RightCtrl, LeftShift, RightShift, LeftAlt, RightAlt, Up, Down,\n"
     "# Left, Right, Insert, Delete, Home, End, PageUp, PageDown, Keypad0 to\n"
     "# Keypad9, KeypadEnter and more: pellaris(6) lists them all.\n"},
    {"controller",
     "# The game controller's inputs of each control, separated by commas: the\n"
     "# buttons a, b, x, y, back, guide, start, leftstick, rightstick, leftshoulder,\n"
     "# rightshoulder, dpup, dpdown, dpleft, dpright; the triggers lefttrigger and\n"
     "# righttrigger; the sticks pushed one way: leftx-, leftx+, lefty-, lefty+,\n"
     "# rightx-, rightx+, righty-, righty+ (- is left or up).\n"},
    {"board",
     "# A score board to send every finished round to. Nothing leaves this machine\n"
     "# while url is empty; when it is set, each round's recording is sent with your\n"
     "# name and the install id below, and nothing else.\n"},
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string Quoted(std::string_view text) {
  return "'" + Printable(text) + "'";
}

// A whole decimal number within the bounds, nothing else.
std::optional<int> WholeNumber(std::string_view text, int smallest, int largest) {
  int value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text[0] == '-' || failure != std::errc{} || end != text.data() + text.size()) return {};
  if (value < smallest || value > largest) return {};
  return value;
}

// The index of the value among the choices, in any letter case.
std::optional<int> Choice(std::string_view value, std::initializer_list<const char*> choices) {
  const std::string lower = Lower(value);
  int index = 0;
  for (const char* choice : choices) {
    if (lower == choice) return index;
    ++index;
  }
  return {};
}

std::string NotAChoice(std::string_view value, std::initializer_list<const char*> choices) {
  std::string list;
  for (const char* choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
  return Quoted(value) + " is not one of " + list;
}

std::vector<std::string_view> ListItems(std::string_view value) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= value.size(); ++i) {
    if (i == value.size() || value[i] == ',' || IsSpace(value[i])) {
      if (i > start) items.push_back(value.substr(start, i - start));
      start = i + 1;
    }
  }
  return items;
}

// One setting of the file: where it lives, what is written above it, and how its value is read into
// the settings ("" or why not) and written from them.
struct Entry {
  std::string_view section, name;
  const char* comment;
  Control control;  // which control, for the [keys] and [controller] entries; unused by the others
  std::string (*parse)(std::string_view value, Settings& settings, Control control);
  std::string (*format)(const Settings& settings, Control control);
};

constexpr std::initializer_list<const char*> kDisplayChoices = {"ask", "fullscreen", "window"};
constexpr std::initializer_list<const char*> kScalingChoices = {"integer", "fit"};
constexpr std::initializer_list<const char*> kYesNo = {"no", "yes"};

std::string ParseDisplay(std::string_view value, Settings& settings, Control) {
  const std::optional<int> choice = Choice(value, kDisplayChoices);
  if (!choice) return NotAChoice(value, kDisplayChoices);
  settings.display = static_cast<DisplayMode>(*choice);
  return {};
}

std::string FormatDisplay(const Settings& settings, Control) {
  return kDisplayChoices.begin()[static_cast<int>(settings.display)];
}

std::string ParseWindowScale(std::string_view value, Settings& settings, Control) {
  if (Lower(value) == "auto") {
    settings.windowScale.reset();
    return {};
  }
  const std::optional<int> scale = WholeNumber(value, kSmallestWindowScale, kLargestWindowScale);
  if (!scale) return Quoted(value) + " is neither auto nor a whole number from 1 to 16";
  settings.windowScale = scale;
  return {};
}

std::string FormatWindowScale(const Settings& settings, Control) {
  return settings.windowScale ? std::to_string(*settings.windowScale) : "auto";
}

std::string ParseScaling(std::string_view value, Settings& settings, Control) {
  const std::optional<int> choice = Choice(value, kScalingChoices);
  if (!choice) return NotAChoice(value, kScalingChoices);
  settings.scaling = static_cast<Scaling>(*choice);
  return {};
}

std::string FormatScaling(const Settings& settings, Control) {
  return kScalingChoices.begin()[static_cast<int>(settings.scaling)];
}

std::string ParseVolume(std::string_view value, Settings& settings, Control) {
  const std::optional<int> volume = WholeNumber(value, 0, kLargestVolume);
  if (!volume) return Quoted(value) + " is not a whole number from 0 to 100";
  settings.volume = *volume;
  return {};
}

std::string FormatVolume(const Settings& settings, Control) {
  return std::to_string(settings.volume);
}

std::string ParseYesNo(std::string_view value, bool& setting) {
  const std::optional<int> choice = Choice(value, kYesNo);
  if (!choice) return NotAChoice(value, kYesNo);
  setting = *choice == 1;
  return {};
}

std::string ParseMute(std::string_view value, Settings& settings, Control) {
  return ParseYesNo(value, settings.mute);
}

std::string FormatMute(const Settings& settings, Control) {
  return settings.mute ? "yes" : "no";
}

std::string ParseRecord(std::string_view value, Settings& settings, Control) {
  return ParseYesNo(value, settings.record);
}

std::string FormatRecord(const Settings& settings, Control) {
  return settings.record ? "yes" : "no";
}

std::string ParseGhost(std::string_view value, Settings& settings, Control) {
  return ParseYesNo(value, settings.ghost);
}

std::string FormatGhost(const Settings& settings, Control) {
  return settings.ghost ? "yes" : "no";
}

constexpr std::size_t kLongestBoardUrl = 1000;

// An http:// or https:// address with a host, to which the board's paths are added: so no query, and
// nothing a request line cannot carry (spaces, control characters, bytes beyond ASCII).
std::string ParseBoardUrl(std::string_view value, Settings& settings, Control) {
  const std::string lower = Lower(value);
  const std::size_t scheme = lower.starts_with("http://") ? 7 : lower.starts_with("https://") ? 8 : 0;
  const std::size_t hostEnd = std::min(value.find('/', scheme), value.size());
  const bool plain = std::all_of(value.begin(), value.end(), [](char c) { return c > ' ' && c < 0x7F; });
  if (value.empty()) {
    settings.boardUrl.clear();
  } else if (scheme == 0 || hostEnd == scheme) {
    return Quoted(value) + " is not an http:// or https:// address";
  } else if (!plain || value.find('?') != std::string_view::npos || value.size() > kLongestBoardUrl) {
    return Quoted(value) + " is not an address the board can be reached at: no spaces, query or more than " +
           std::to_string(kLongestBoardUrl) + " characters";
  } else {
    settings.boardUrl = value;
  }
  return {};
}

std::string FormatBoardUrl(const Settings& settings, Control) {
  return settings.boardUrl;
}

std::string ParsePlayerName(std::string_view value, Settings& settings, Control) {
  std::string problem;
  const std::optional<std::string> name = ValidPlayerName(value, problem);
  if (!value.empty() && !name) return problem;
  settings.playerName = name.value_or("");
  return {};
}

std::string FormatPlayerName(const Settings& settings, Control) {
  return settings.playerName;
}

std::string ParseInstallId(std::string_view value, Settings& settings, Control) {
  const std::optional<std::string> id = ValidInstallId(value);
  if (!value.empty() && !id) return Quoted(value) + " is not 32 hexadecimal digits";
  settings.installId = id.value_or("");
  return {};
}

std::string FormatInstallId(const Settings& settings, Control) {
  return settings.installId;
}

// A list is taken whole or not at all, so a typing mistake never leaves a control half bound.
std::string ParseKeys(std::string_view value, Settings& settings, Control control) {
  std::vector<int> codes;
  for (std::string_view item : ListItems(value)) {
    const int code = KeyCodeOfName(item);
    if (code == 0) return "unknown key " + Quoted(item);
    if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
  }
  settings.bindings.Keys(control) = std::move(codes);
  return {};
}

std::string FormatKeys(const Settings& settings, Control control) {
  return KeyList(settings.bindings.Keys(control));
}

std::string ParsePad(std::string_view value, Settings& settings, Control control) {
  std::vector<std::string> inputs;
  for (std::string_view item : ListItems(value)) {
    std::string input = CanonicalPadInput(item);
    if (input.empty()) return "unknown controller input " + Quoted(item);
    if (std::find(inputs.begin(), inputs.end(), input) == inputs.end()) inputs.push_back(std::move(input));
  }
  settings.bindings.Pad(control) = std::move(inputs);
  return {};
}

std::string FormatPad(const Settings& settings, Control control) {
  return PadList(settings.bindings.Pad(control));
}

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> list = {
        {"display", "mode", "# How the game starts: ask (the question at start), fullscreen or window.\n",
         Control::Fire, ParseDisplay, FormatDisplay},
        {"display", "window-scale",
         "# The window's size as a multiple of 640 x 400, from 1 to 16, or auto for the\n"
         "# largest that fits the desktop.\n",
         Control::Fire, ParseWindowScale, FormatWindowScale},
        {"display", "scaling",
         "# How the picture fills the window or the screen: integer (whole multiples,\n"
         "# sharp pixels, black borders) or fit (as large as fits, the same shape).\n",
         Control::Fire, ParseScaling, FormatScaling},
        {"sound", "volume", "# The volume, from 0 to 100.\n", Control::Fire, ParseVolume, FormatVolume},
        {"sound", "mute", "# Start with the sound off: yes or no.\n", Control::Fire, ParseMute, FormatMute},
        {"replays", "record",
         "# Record every round (in ~/.local/state/pellaris/replays) to watch, verify or\n"
         "# share it: yes or no.\n",
         Control::Fire, ParseRecord, FormatRecord},
        {"replays", "ghost",
         "# Show the craft of your best recorded round beside yours, as a shadow to\n"
         "# race: yes or no.\n",
         Control::Fire, ParseGhost, FormatGhost},
    };
    for (Control control : kControls) {
      list.push_back({"keys", ControlName(control), nullptr, control, ParseKeys, FormatKeys});
    }
    for (Control control : kControls) {
      list.push_back({"controller", ControlName(control), nullptr, control, ParsePad, FormatPad});
    }
    list.insert(list.end(),
                {{"board", "url", "# The board's address, such as https://board.example.org\n", Control::Fire,
                  ParseBoardUrl, FormatBoardUrl},
                 {"board", "name", "# Your name on the board: 1 to 24 characters.\n", Control::Fire,
                  ParsePlayerName, FormatPlayerName},
                 {"board", "install-id",
                  "# Who you are to the board: made by the game when a board is first set. Delete\n"
                  "# it to become a new player.\n",
                  Control::Fire, ParseInstallId, FormatInstallId}});
    return list;
  }();
  return entries;
}

const Entry* FindEntry(std::string_view section, std::string_view name) {
  const std::vector<Entry>& entries = Entries();
  const std::string lowerSection = Lower(section), lowerName = Lower(name);
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
    return entry.section == lowerSection && entry.name == lowerName;
  });
  return found == entries.end() ? nullptr : &*found;
}

bool KnownSection(std::string_view name) {
  return std::any_of(std::begin(kSections), std::end(kSections),
                     [&](const Section& section) { return section.name == Lower(name); });
}

// One line of the file, its line end removed. Offsets are within the line.
struct Line {
  enum class Kind { Blank, Section, Setting, Bad } kind = Kind::Blank;
  std::string_view name, value;  // the section's name, or the setting's name and value
  std::size_t equals = 0, valueStart = 0, valueEnd = 0;
  std::string error;
};

Line ParseLine(std::string_view text) {
  Line line;
  if (!IsPlainText(text)) {
    line.kind = Line::Kind::Bad;
    line.error = "not text: " + Quoted(text);
    return line;
  }
  const std::size_t comment = std::min(text.find('#'), text.size());
  const std::string_view content = Trim(text.substr(0, comment));
  if (content.empty()) return line;
  if (content.front() == '[') {
    if (content.back() != ']') {
      line.kind = Line::Kind::Bad;
      line.error = "a section's name ends with ']'";
      return line;
    }
    line.kind = Line::Kind::Section;
    line.name = Trim(content.substr(1, content.size() - 2));
    return line;
  }
  const std::size_t equals = text.find('=');
  if (equals > comment) {
    line.kind = Line::Kind::Bad;
    line.error = "not \"name = value\": " + Quoted(content);
    return line;
  }
  line.kind = Line::Kind::Setting;
  line.name = Trim(text.substr(0, equals));
  line.equals = equals;
  line.valueStart = equals + 1;
  while (line.valueStart < comment && IsSpace(text[line.valueStart])) ++line.valueStart;
  line.valueEnd = std::max(line.valueStart, comment);
  while (line.valueEnd > line.valueStart && IsSpace(text[line.valueEnd - 1])) --line.valueEnd;
  line.value = text.substr(line.valueStart, line.valueEnd - line.valueStart);
  return line;
}

// Calls visit(text, offset, number) for each line of the file, without its line end.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t offset = 0, number = 1;
  while (offset < text.size()) {
    std::size_t end = std::min(text.find('\n', offset), text.size());
    std::string_view line = text.substr(offset, end - offset);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line, offset, number);
    offset = end + 1;
    ++number;
  }
}

// A message about a line of the file.
struct Problem {
  std::size_t line;
  std::string message;
};

// The line each entry was set on, 0 for none: its default.
using EntryLines = std::vector<std::size_t>;

std::size_t IndexOf(const Entry& entry) {
  return static_cast<std::size_t>(&entry - Entries().data());
}

void ApplyFile(std::string_view text, Settings& settings, EntryLines& setOnLine,
               std::vector<Problem>& problems) {
  std::string section;
  bool inKnownSection = false, inAnySection = false;
  ForEachLine(text, [&](std::string_view lineText, std::size_t, std::size_t number) {
    const auto problem = [&](std::string message) { problems.push_back({number, std::move(message)}); };
    Line line = ParseLine(lineText);
    switch (line.kind) {
      case Line::Kind::Blank:
        return;
      case Line::Kind::Bad:
        return problem(line.error);
      case Line::Kind::Section:
        section = Lower(line.name);
        inAnySection = true;
        inKnownSection = KnownSection(section);
        if (!inKnownSection) problem("unknown section [" + Printable(line.name) + "]; its lines are ignored");
        return;
      case Line::Kind::Setting:
        break;
    }
    if (!inAnySection) return problem(Quoted(line.name) + " is outside a section");
    if (!inKnownSection) return;
    const Entry* entry = FindEntry(section, line.name);
    if (entry == nullptr)
      return problem("unknown setting " + Quoted(line.name) + " in [" + Printable(section) + "]");
    std::size_t& firstLine = setOnLine[IndexOf(*entry)];
    if (firstLine != 0) {
      return problem(Quoted(line.name) + " is already set on line " + std::to_string(firstLine) +
                     ", which is used");
    }
    const std::string error = entry->parse(line.value, settings, entry->control);
    if (!error.empty()) return problem(std::string(entry->name) + ": " + error);
    firstLine = number;
  });
}

bool IsBinding(const Entry& entry) {
  return entry.section == "keys" || entry.section == "controller";
}

// The keys' or controller inputs' names an entry of [keys] or [controller] binds.
std::vector<std::string> BoundInputs(const Settings& settings, const Entry& entry) {
  if (entry.section == "controller") return settings.bindings.Pad(entry.control);
  std::vector<std::string> names;
  for (int code : settings.bindings.Keys(entry.control)) names.push_back(KeyList({code}));
  return names;
}

// A line refused for the bindings it would make.
struct Refusal {
  const Entry* entry;
  Problem problem;
};

// Quit keeps a key or a controller input, or a full screen would leave no way out: of two lines that
// take all away, the later is refused.
std::optional<Refusal> QuitLeftWithout(const Settings& settings, const EntryLines& setOnLine) {
  if (!settings.bindings.Keys(Control::Quit).empty() || !settings.bindings.Pad(Control::Quit).empty())
    return {};
  const Entry* keys = FindEntry("keys", ControlName(Control::Quit));
  const Entry* pad = FindEntry("controller", ControlName(Control::Quit));
  const Entry* later = setOnLine[IndexOf(*keys)] > setOnLine[IndexOf(*pad)] ? keys : pad;
  return Refusal{later,
                 {setOnLine[IndexOf(*later)],
                  "quit: this leaves no key or controller input to quit with; the default is kept"}};
}

// A key or controller input drives one control only: of two lines that bind it, the later is refused,
// and so is a line that binds what another control has by default.
std::optional<Refusal> SharedInput(const Settings& settings, const EntryLines& setOnLine) {
  const std::vector<Entry>& entries = Entries();
  for (const Entry& first : entries) {
    if (!IsBinding(first)) continue;
    const std::vector<std::string> inputs = BoundInputs(settings, first);
    for (const Entry& second : entries) {
      const std::size_t firstLine = setOnLine[IndexOf(first)], secondLine = setOnLine[IndexOf(second)];
      if (&second <= &first || second.section != first.section || std::max(firstLine, secondLine) == 0)
        continue;
      for (const std::string& input : BoundInputs(settings, second)) {
        if (std::find(inputs.begin(), inputs.end(), input) == inputs.end()) continue;
        const bool secondLater = secondLine > firstLine;
        const Entry& refused = secondLater ? second : first;
        const Entry& kept = secondLater ? first : second;
        const std::size_t keptLine = secondLater ? firstLine : secondLine;
        return Refusal{
            &refused,
            {std::max(firstLine, secondLine),
             std::string(refused.name) + ": " + Printable(input) + " also drives " + std::string(kept.name) +
                 (keptLine == 0 ? " by default" : " (line " + std::to_string(keptLine) + ")") +
                 "; the default is kept"}};
      }
    }
  }
  return {};
}

// Refuses, one at a time, the binding lines that break the rules above, until none does. Each refusal
// puts a default back, which ends it: the defaults break none.
void RefuseBadBindings(Settings& settings, EntryLines& setOnLine, std::vector<Problem>& problems) {
  for (;;) {
    std::optional<Refusal> refusal = QuitLeftWithout(settings, setOnLine);
    if (!refusal) refusal = SharedInput(settings, setOnLine);
    if (!refusal) return;
    const Entry& entry = *refusal->entry;
    entry.parse(entry.format(Settings{}, entry.control), settings, entry.control);
    setOnLine[IndexOf(entry)] = 0;
    problems.push_back(std::move(refusal->problem));
  }
}

// Whether the program may write into the file: one it wrote starts with its own line; one the player
// wrote holds only comments, sections and settings the program knows, whatever their values.
bool ReadsAsSettings(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (text.starts_with(kOwnLine)) return true;
  bool settings = true;
  std::string section;
  ForEachLine(text, [&](std::string_view lineText, std::size_t, std::size_t) {
    const Line line = ParseLine(lineText);
    if (line.kind == Line::Kind::Section) section = Lower(line.name);
    if (line.kind == Line::Kind::Bad || (line.kind == Line::Kind::Setting && !FindEntry(section, line.name)))
      settings = false;
  });
  return settings;
}

// The defaults with this one setting as in `settings`.
Settings DefaultsWith(const Settings& settings, const Entry& entry) {
  Settings changed;
  entry.parse(entry.format(settings, entry.control), changed, entry.control);
  return changed;
}

// What ends the text's last line before another is added after it: nothing when it has its line end,
// and only the LF after a CR there, which the reader takes as half of a CR LF and leaves out of the line.
std::string LastLineEnd(std::string_view text, const std::string& lineEnd) {
  if (text.empty() || text.back() == '\n') return "";
  return text.back() == '\r' ? "\n" : lineEnd;
}

// The file's text with the entry's value replaced, or its line added at the end of its section (or
// of the file, in a new section).
std::string WithValue(std::string_view text, const Entry& entry, const std::string& value) {
  // Kept, and skipped once as the reader skips it, or a section on the first line would go unseen.
  std::string mark;
  if (text.starts_with(kByteOrderMark)) {
    mark = kByteOrderMark;
    text.remove_prefix(kByteOrderMark.size());
  }
  std::optional<std::size_t> sectionEnd;  // where a line of the entry's section would go
  std::string section;
  std::string result(text);
  bool replaced = false;
  ForEachLine(text, [&](std::string_view lineText, std::size_t offset, std::size_t) {
    if (replaced) return;
    const Line line = ParseLine(lineText);
    if (line.kind == Line::Kind::Section) section = Lower(line.name);
    if (section != entry.section || line.kind == Line::Kind::Blank) return;
    sectionEnd = std::min(text.find('\n', offset), text.size() - 1) + 1;
    if (line.kind != Line::Kind::Setting || Lower(line.name) != entry.name) return;
    std::string replacement = value;
    if (line.valueStart == line.equals + 1) {
      replacement.insert(0, " ");  // "name=" gets a space, as the file is written
    }
    if (line.valueEnd < lineText.size() && lineText[line.valueEnd] == '#') replacement += ' ';
    result.replace(offset + line.valueStart, line.valueEnd - line.valueStart, replacement);
    replaced = true;
  });
  if (replaced) return mark + result;
  const std::string lineEnd = text.find("\r\n") == std::string_view::npos ? "\n" : "\r\n";
  const std::string newLine = std::string(entry.name) + " = " + value + lineEnd;
  if (sectionEnd) {
    result.insert(*sectionEnd, (*sectionEnd == text.size() ? LastLineEnd(text, lineEnd) : "") + newLine);
    return mark + result;
  }
  return mark + result + LastLineEnd(text, lineEnd) + lineEnd + "[" + std::string(entry.section) + "]" + lineEnd +
         newLine;
}

bool Replace(const std::filesystem::path& file, const std::string& text, std::ostream& report) {
  std::string error;
  if (ReplaceFile(file, text, error)) return true;
  report << Printable(error) << "; the settings are not saved\n";
  return false;
}

// The file as read when the program may write into it (a missing one too), else nothing, reported.
std::optional<FileContents> WritableContents(const std::filesystem::path& file, std::ostream& report) {
  FileContents contents = ReadSmallFile(file, kLargestFile);
  if (contents.status == ReadStatus::Unreadable || contents.status == ReadStatus::TooLarge) {
    report << Printable(contents.error) << "; the settings are not saved\n";
    return {};
  }
  if (contents.status == ReadStatus::Read && !ReadsAsSettings(contents.text)) {
    report << Printable(file.string())
           << " does not read as a Pellaris settings file; it is left as it is, and the settings are not "
              "saved\n";
    return {};
  }
  return contents;
}

// Writes the defaults where there is no file, checked again under the lock: another game starting at
// the same time may have written it, or stored a setting into it, meanwhile.
bool WriteIfMissing(const std::filesystem::path& file, std::ostream& report) {
  const FileLock lock(file);
  if (!lock.Held()) {
    report << Printable(lock.Error()) << "; the settings are not saved\n";
    return false;
  }
  if (ReadSmallFile(file, kLargestFile).status != ReadStatus::Missing) return false;
  return Replace(file, SettingsFileText(Settings{}), report);
}

}  // namespace

SettingName KeySetting(Control control) {
  return {"keys", ControlName(control)};
}

SettingName ControllerSetting(Control control) {
  return {"controller", ControlName(control)};
}

std::string SettingsFileText(const Settings& settings) {
  std::string text = kFileComment;
  for (const Section& section : kSections) {
    text += "\n[" + std::string(section.name) + "]\n";
    if (section.comment) text += section.comment;
    for (const Entry& entry : Entries()) {
      if (entry.section != section.name) continue;
      if (entry.comment) text += entry.comment;
      const std::string value = entry.format(settings, entry.control);
      text += std::string(entry.name) + " =" + (value.empty() ? "" : " ") + value + "\n";
    }
  }
  return text;
}

Settings ParseSettings(std::string_view text, std::string_view fileName, std::ostream& report) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  Settings settings;
  EntryLines setOnLine(Entries().size(), 0);
  std::vector<Problem> problems;
  ApplyFile(text, settings, setOnLine, problems);
  RefuseBadBindings(settings, setOnLine, problems);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  for (const Problem& problem : problems)
    report << fileName << ':' << problem.line << ": " << problem.message << '\n';
  return settings;
}

Settings LoadSettings(const std::filesystem::path& file, std::ostream& report, MissingFile missing) {
  if (file.empty()) return {};
  const std::string name = Printable(file.string());
  const FileContents contents = ReadSmallFile(file, kLargestFile);
  switch (contents.status) {
    case ReadStatus::Missing:
      if (WriteIfMissing(file, report) && missing == MissingFile::CreateAndSay) {
        report << name << " did not exist; it is written with the default settings\n";
      }
      return {};
    case ReadStatus::Unreadable:
    case ReadStatus::TooLarge:
      report << Printable(contents.error) << "; the default settings are used\n";
      return {};
    case ReadStatus::Read:
      break;
  }
  return ParseSettings(contents.text, name, report);
}

bool StoreSetting(const std::filesystem::path& file, const Settings& settings, SettingName setting,
                  std::ostream& report) {
  const Entry* entry = FindEntry(setting.section, setting.name);
  if (entry == nullptr || file.empty()) return false;
  // Checked before the lock as well, so that nothing is left beside a file that is not ours.
  if (!WritableContents(file, report)) return false;
  const FileLock lock(file);
  if (!lock.Held()) {
    report << Printable(lock.Error()) << "; the settings are not saved\n";
    return false;
  }
  const std::optional<FileContents> contents = WritableContents(file, report);
  if (!contents) return false;
  if (contents->status == ReadStatus::Missing) {
    return Replace(file, SettingsFileText(DefaultsWith(settings, *entry)), report);
  }
  const std::string text = WithSetting(contents->text, settings, setting);
  // Written larger than it is read, the file would no longer count, and every setting in it with it.
  if (text.size() > kLargestFile) {
    report << Printable(file.string()) << " would grow larger than " << kLargestFile
           << " bytes; the settings are not saved\n";
    return false;
  }
  return Replace(file, text, report);
}

std::string WithSetting(std::string_view text, const Settings& settings, SettingName setting) {
  const Entry* entry = FindEntry(setting.section, setting.name);
  return entry ? WithValue(text, *entry, entry->format(settings, entry->control)) : std::string(text);
}

std::optional<Settings> ChangeSetting(const Settings& settings, SettingName setting, std::string_view value,
                                      std::string& error) {
  const Entry* entry = FindEntry(setting.section, setting.name);
  if (entry == nullptr) {
    error = "there is no setting " + Quoted(setting.name) + " in [" + Printable(setting.section) + "]";
    return std::nullopt;
  }
  if (value.find_first_of("#\r\n") != std::string_view::npos) {
    error = std::string(entry->name) + ": a value holds no '#' and no line break";
    return std::nullopt;
  }
  std::ostringstream problems;
  const std::string text = WithValue(SettingsFileText(settings), *entry, std::string(Trim(value)));
  Settings changed = ParseSettings(text, "", problems);
  if (problems.str().empty()) return changed;
  // ":LINE: why", the line being the changed one: the first problem is its own.
  const std::string first = problems.str().substr(0, problems.str().find('\n'));
  error = first.substr(std::min(first.find(": ", 1) + 2, first.size()));
  return std::nullopt;
}

}  // namespace pellaris::play

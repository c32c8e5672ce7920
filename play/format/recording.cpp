#include "play/format/recording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "play/format/fields.h"
#include "play/format/printable.h"
#include "play/format/script.h"

namespace pellaris::play {

namespace {

// The header's lines that come at most once. A format 2 recording must have all but "round", which
// only format 1 has.
enum Required : unsigned {
  kRules = 1,
  kSeed = 2,
  kDisplay = 4,
  kDate = 8,
  kRandom = 16,
  kCraft = 32,
  kGame = 64,
  kRound = 128,  // format 1
};
constexpr unsigned kAllRequired = kRules | kSeed | kDisplay | kDate | kRandom | kCraft | kGame;

template <typename Number>
bool InRange(std::string_view word, Number low, Number high, Number& out) {
  return ParseNumber(word, out) && out >= low && out <= high;
}

bool ParseFlag(std::string_view word, std::int32_t& out) {
  return InRange(word, 0, 1, out);
}

using Line = std::vector<std::string_view>;

bool ParseRules(const Line& w, RecordingHeader& h) {
  return w.size() == 2 && InRange(w[1], 1, 1 << 30, h.rules);
}

bool ParseSeed(const Line& w, RecordingHeader& h) {
  return w.size() == 2 && ParseNumber(w[1], h.seed);
}

bool ParseDisplay(const Line& w, RecordingHeader& h) {
  h.fullScreen = w.size() == 2 && w[1] == "fullscreen";
  return w.size() == 2 && (w[1] == "window" || w[1] == "fullscreen");
}

bool ParseDate(const Line& w, RecordingHeader& h) {
  return w.size() == 2 && InRange<rt::DateValue>(w[1], 0, 2147483647, h.date);
}

bool ParseRoundStart(const Line& w, RecordingHeader& h) {
  return w.size() == 2 && InRange<std::int64_t>(w[1], 1, kMostSessionPasses, h.roundStart);
}

bool ParseRandom(const Line& w, RecordingHeader& h) {
  rt::RandomState& random = h.start.random;
  constexpr std::size_t kWords = std::tuple_size_v<decltype(random.words)>;
  if (w.size() != 1 + kWords + 3) return false;
  for (std::size_t i = 0; i < kWords; ++i) {
    if (w[1 + i].size() > 8 || !ParseNumber(w[1 + i], random.words[i], 16)) return false;
  }
  constexpr int kLastIndex = static_cast<int>(kWords / 2) - 1;
  return InRange(w[1 + kWords], 0, kLastIndex, random.first) &&
         InRange(w[2 + kWords], 0, kLastIndex, random.second) && ParseNumber(w[3 + kWords], random.draws);
}

bool ParseCraft(const Line& w, RecordingHeader& h) {
  RoundStart& s = h.start;
  return w.size() == 7 && ParseFloat(w[1], s.craftX) && ParseFloat(w[2], s.craftY) &&
         ParseFloat(w[3], s.craftSpeedY) && InRange<std::int16_t>(w[4], 1, 32767, s.craftHeight) &&
         ParseFlag(w[5], s.craftOnGround) && ParseNumber(w[6], s.fireCooldown);
}

bool ParseGame(const Line& w, RecordingHeader& h) {
  RoundStart& s = h.start;
  return w.size() == 10 && InRange(w[1], -kLargestStartScore, kLargestStartScore, s.score) &&
         InRange(w[2], 0, kLargestStartFlash, s.flashLevel) &&
         InRange(w[3], 0, kLatestRoundEnd, s.roundEndTime) && ParseFlag(w[4], s.gameOver) &&
         ParseFlag(w[5], s.restartRequested) && ParseFloat(w[6], s.warningPhase) &&
         ParseFloat(w[7], s.backdropX) && ParseNumber(w[8], s.lastEvent) &&
         InRange(w[9], -1, static_cast<int>(kMostStartEntities) - 1, s.cursor);
}

// The header's lines that appear once, what each must look like, and the formats that have it.
struct OnceLine {
  const char* name;
  Required bit;
  bool (*parse)(const Line& words, RecordingHeader& header);
  const char* form;
  int onlyInFormat;  // 0: in every format
};
constexpr OnceLine kOnceLines[] = {
    {"rules", kRules, ParseRules, "'rules N', N a whole number from 1", 2},
    {"seed", kSeed, ParseSeed, "'seed N', N a whole number from 0 to 4294967295", 0},
    {"display", kDisplay, ParseDisplay, "'display window' or 'display fullscreen'", 0},
    {"date", kDate, ParseDate, "'date N', N a count of seconds", 2},
    {"round", kRound, ParseRoundStart, "'round FRAME', the round's first pass", 1},
    {"random", kRandom, ParseRandom, "'random', 34 hexadecimal words, two indices from 0 to 16 and a count",
     2},
    {"craft", kCraft, ParseCraft, "'craft X Y SPEED HEIGHT ONGROUND COOLDOWN'", 2},
    {"game", kGame, ParseGame,
     "'game SCORE FLASH ENDTIME GAMEOVER RESTART WARNING BACKDROP LASTEVENT CURSOR', numbers a round can "
     "start with",
     2},
};

bool ParseEntity(const Line& w, Entity& e) {
  return w.size() == 8 && InRange<std::int16_t>(w[1], KindRock, KindSpark, e.kind) && ParseFloat(w[2], e.x) &&
         ParseFloat(w[3], e.y) && ParseFloat(w[4], e.frame) && std::fabs(e.frame) <= kLargestStartFrame &&
         ParseFloat(w[5], e.dx) && ParseFloat(w[6], e.dy) && ParseNumber(w[7], e.hitPoints);
}

std::string Join(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : " ") + field;
  return line + "\n";
}

std::string RandomLine(const rt::RandomState& random) {
  std::string line = "random";
  for (const std::uint32_t word : random.words) {
    char hex[12];
    std::snprintf(hex, sizeof hex, " %08x", static_cast<unsigned>(word));
    line += hex;
  }
  return line + " " + std::to_string(random.first) + " " + std::to_string(random.second) + " " +
         std::to_string(random.draws) + "\n";
}

std::string StartLines(const RecordingHeader& h) {
  const RoundStart& s = h.start;
  std::string text = "date " + std::to_string(h.date) + "\n" + RandomLine(s.random);
  text +=
      Join({"craft", FloatText(s.craftX), FloatText(s.craftY), FloatText(s.craftSpeedY),
            std::to_string(s.craftHeight), std::to_string(s.craftOnGround), std::to_string(s.fireCooldown)});
  text += Join({"game", std::to_string(s.score), std::to_string(s.flashLevel), std::to_string(s.roundEndTime),
                std::to_string(s.gameOver), std::to_string(s.restartRequested), FloatText(s.warningPhase),
                FloatText(s.backdropX), std::to_string(s.lastEvent), std::to_string(s.cursor)});
  for (const Entity& e : s.entities) {
    text += Join({"entity", std::to_string(e.kind), FloatText(e.x), FloatText(e.y), FloatText(e.frame),
                  FloatText(e.dx), FloatText(e.dy), std::to_string(e.hitPoints)});
  }
  for (const int key : h.input.keys) text += "held key " + std::to_string(key) + "\n";
  for (const int button : s.mouseButtons) text += "held button " + std::to_string(button) + "\n";
  if (!h.input.focused) text += "focus lost\n";
  if (h.input.paused) text += "pause on\n";
  return text;
}

}  // namespace

RecordingReader::RecordingReader(int format) {
  header_.format = format;
  header_.rules = 1;
}

bool RecordingReader::HeaderLine(const std::vector<std::string_view>& w, std::string& reason) {
  const bool firstFormat = header_.format == 1;
  if (w[0] == "program" && w.size() == 2) {
    header_.program = std::string(w[1]);
    return true;
  }
  for (const OnceLine& line : kOnceLines) {
    if (w[0] != line.name || (line.onlyInFormat != 0 && line.onlyInFormat != header_.format)) continue;
    if (seen_ & line.bit) {
      reason = "'" + std::string(line.name) + "' is given twice";
      return false;
    }
    seen_ |= line.bit;
    if (line.parse(w, header_)) return true;
    reason = std::string("it should be ") + line.form;
    return false;
  }
  if (!firstFormat && StartLine(w)) return true;
  reason = firstFormat ? "a header line is 'program', 'seed', 'display' or 'round'"
                       : "a header line is 'program', 'rules', 'seed', 'display', 'date', 'random', 'craft', "
                         "'game', 'entity', 'held', 'focus lost' or 'pause on'";
  return false;
}

bool RecordingReader::StartLine(const std::vector<std::string_view>& w) {
  StartInput& input = header_.input;
  int code = 0;
  if (w[0] == "entity") {
    Entity entity{};
    if (header_.start.entities.size() >= kMostStartEntities || !ParseEntity(w, entity)) return false;
    header_.start.entities.push_back(entity);
    return true;
  }
  if (w.size() == 3 && w[0] == "held" && w[1] == "key" && InRange(w[2], 1, 255, code)) {
    input.keys.push_back(code);
    return true;
  }
  if (w.size() == 3 && w[0] == "held" && w[1] == "button" && InRange(w[2], 1, 3, code)) {
    header_.start.mouseButtons.push_back(code);
    return true;
  }
  if (w.size() == 2 && w[0] == "focus" && w[1] == "lost") {
    input.focused = false;
    return true;
  }
  if (w.size() == 2 && w[0] == "pause" && w[1] == "on") {
    input.paused = true;
    return true;
  }
  return false;
}

bool RecordingReader::HeaderDone(std::string& reason) {
  if (header_.format == 1) {
    lastPass_ = header_.roundStart;
    return true;
  }
  if ((seen_ & kAllRequired) != kAllRequired) {
    reason = "the header lacks one of 'rules', 'seed', 'display', 'date', 'random', 'craft' and 'game'";
    return false;
  }
  if (header_.start.cursor >= static_cast<int>(header_.start.entities.size())) {
    reason = "the game line's cursor is past the last entity";
    return false;
  }
  lastPass_ = 1;
  time_ = header_.date;
  focused_ = header_.input.focused;
  paused_ = header_.input.paused;
  running_ = focused_ && !paused_;
  return true;
}

bool RecordingReader::Pass(const ScriptEvent& event, std::string& reason) {
  using Type = ScriptEvent::Type;
  const std::int64_t first = header_.format == 1 ? header_.roundStart : 1;
  if (event.frame < lastPass_ && event.frame >= first) {
    reason = "the passes go back: pass " + std::to_string(event.frame) + " after pass " +
             std::to_string(lastPass_);
    return false;
  }
  const bool inRound = event.frame >= first;
  if (inRound) {
    if (event.frame - first >= kMostRoundPasses) {
      reason = "pass " + std::to_string(event.frame - first + 1) +
               " of the round is later than a round can last (" + std::to_string(kMostRoundPasses) +
               " passes)";
      return false;
    }
    if (running_) runningPasses_ += event.frame - lastPass_;
    if (runningPasses_ > kMostPassesPerSecond * (secondsForward_ + 2)) {
      reason = "the round has run " + std::to_string(runningPasses_) + " passes while its clock went " +
               std::to_string(secondsForward_) + " seconds forward: more than a game plays";
      return false;
    }
    lastPass_ = event.frame;
  }
  if (event.type == Type::Time) {
    // A clock set back would give the round more time than it has: the game would play it, but no
    // count of its passes could bound it.
    if (inRound && time_ && event.seconds < *time_) {
      reason = "the round's clock goes back, from " + std::to_string(*time_) + " to " +
               std::to_string(event.seconds);
      return false;
    }
    if (inRound && time_) secondsForward_ += event.seconds - *time_;
    time_ = event.seconds;
  }
  if (event.type == Type::Pause) paused_ = event.a != 0;
  if (event.type == Type::FocusLost || event.type == Type::FocusGained)
    focused_ = event.type == Type::FocusGained;
  running_ = focused_ && !paused_;
  return true;
}

std::optional<Recording> ReadRecording(std::string_view text, std::string& error) {
  ParseResult parsed = ParseScript(text);
  if (!parsed.error.empty()) {
    error = parsed.error;
    return std::nullopt;
  }
  if (!parsed.recording) {
    error = "a script, not a recording: it does not start with 'pellaris-recording'";
    return std::nullopt;
  }
  if (parsed.events.empty()) {
    error = "the recording holds no passes";
    return std::nullopt;
  }
  Recording recording{std::move(*parsed.recording), std::move(parsed.events), std::nullopt, 0};
  for (const ScriptEvent& event : recording.events) {
    recording.lastPass = std::max(recording.lastPass, event.frame);
    if (event.type == ScriptEvent::Type::End) recording.claimedScore = event.a;
  }
  return recording;
}

std::string FormatHeader(const RecordingHeader& header) {
  std::string text = "pellaris-recording " + std::to_string(header.format) + "\n";
  // A recording that names no program leaves the line out: "program" alone does not read back.
  if (!header.program.empty()) text += "program " + header.program + "\n";
  if (header.format != 1) text += "rules " + std::to_string(header.rules) + "\n";
  text += "seed " + std::to_string(header.seed) + "\ndisplay " +
          (header.fullScreen ? "fullscreen" : "window") + "\n";
  if (header.format == 1) return text + "round " + std::to_string(header.roundStart) + "\n";
  return text + StartLines(header);
}

}  // namespace pellaris::play

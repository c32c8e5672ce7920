// The replay tool's script reader and log lines.
#include <gtest/gtest.h>

#include <string>

#include "play/format/script.h"
#include "play/machine.h"
#include "play/replay.h"

namespace pellaris::play {
namespace {

TEST(ReplayScript, ReadsEveryEventAndRejectsWhatItCannotRead) {
  const ParseResult parsed = ParseScript(
      "# a comment\n5 key down 29\n6 key up 157 # trailing\n7 button down 2\n8 button up 1\n"
      "9 move -3 4\n10 focus lost\n11 focus gained\n12 close\n13 clock -30\n");
  ASSERT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.events.size(), 9u);
  EXPECT_EQ(parsed.events[0].a, 29);
  EXPECT_EQ(parsed.events[4].b, 4);
  EXPECT_EQ(parsed.events[8].seconds, -30);
  for (const char* bad :
       {"x key down 1", "0 close", "5 key down 256", "5 key sideways 1", "5 move 1", "5 clock 99999999999",
        "5 close now", "-1 close", "2147483648 close", "4294967298 close"}) {
    EXPECT_NE(ParseScript(bad).error, "") << bad;
    EXPECT_TRUE(ParseScript(bad).events.empty());
  }
  EXPECT_EQ(ParseScript("2147483647 close").events.size(), 1u);
}

// Pad lines by SDL's names reach the headless machine's pad as the script says.
TEST(ReplayScript, PadLinesDriveTheMachinesPad) {
  const ParseResult parsed = ParseScript(
      "1 pad down a\n1 pad down dpup\n1 pad axis lefty -32768\n1 pad axis righttrigger 32767\n"
      "2 pad up dpup\n3 pad disconnect\n4 pad connect\n");
  ASSERT_EQ(parsed.error, "");
  rt::platform::HeadlessPlatform machine;
  ScheduleScript(machine, parsed.events);
  using rt::platform::PadAxis;
  using rt::platform::PadButton;
  rt::platform::PadState state;
  machine.Clock().FrameBoundary();
  machine.Input().ReadPadState(state);
  EXPECT_TRUE(state.Held(PadButton::A));
  EXPECT_TRUE(state.Held(PadButton::DpadUp));
  EXPECT_EQ(state.Axis(PadAxis::LeftY), -32768);
  EXPECT_EQ(state.Axis(PadAxis::RightTrigger), 32767);
  machine.Clock().FrameBoundary();
  machine.Input().ReadPadState(state);
  EXPECT_TRUE(state.Held(PadButton::A));
  EXPECT_FALSE(state.Held(PadButton::DpadUp));
  machine.Clock().FrameBoundary();
  machine.Input().ReadPadState(state);
  EXPECT_EQ(state.connected, 0);
  machine.Clock().FrameBoundary();
  machine.Input().ReadPadState(state);
  EXPECT_EQ(state.connected, 1);
  EXPECT_FALSE(state.Held(PadButton::A));
}

TEST(ReplayScript, WrongPadLinesSayWhatIsWrong) {
  const struct {
    const char* line;
    const char* says;
  } cases[] = {
      {"1 pad down jump", "\"jump\" is not a pad button (a, b, x, y, back,"},
      {"1 pad down A", "is not a pad button"},
      {"1 pad up", "a pad line is"},
      {"1 pad axis leftz 5", "\"leftz\" is not a pad axis (leftx, lefty,"},
      {"1 pad axis leftx 32768", "from -32768 to 32767"},
      {"1 pad axis leftx -32769", "from -32768 to 32767"},
      {"1 pad axis leftx 1.5", "from -32768 to 32767"},
      {"1 pad axis leftx", "a pad line is"},
      {"1 pad connect 2", "a pad line is"},
      {"1 pad", "a pad line is"},
      {"1 pad down \x1b[2J", "\"\\x1b[2J\" is not a pad button"},
  };
  for (const auto& c : cases) {
    const ParseResult parsed = ParseScript(c.line);
    EXPECT_EQ(parsed.error.rfind("line 1: cannot read \"", 0), 0u) << parsed.error;
    EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
    EXPECT_TRUE(parsed.events.empty());
  }
}

TEST(ReplayScript, ErrorsNameTheLineAndShowOnlyPrintableText) {
  const std::string error = ParseScript("1 close\n\n3 key \x1b[2Jdown 1\n").error;
  EXPECT_EQ(error, "line 3: cannot read \"3 key \\x1b[2Jdown 1\"");
}

// The writer's headers read back as written, bit for bit, whether or not they name the program.
TEST(ReplayScript, RecordingHeadersReadBackAsWritten) {
  RecordingHeader old;
  old.format = 1, old.program = "1.2.0", old.rules = 1, old.seed = 4294967295u, old.fullScreen = true;
  old.roundStart = 7;
  RecordingHeader round;
  round.rules = 7, round.seed = 12, round.date = 2147483647;
  RoundStart& start = round.start;
  for (std::size_t i = 0; i < start.random.words.size(); ++i) start.random.words[i] = 0x9E3779B9u * (i + 1);
  start.random.first = 16, start.random.second = 0, start.random.draws = 18446744073709551615u;
  start.craftX = 40.0f, start.craftY = 189.5f, start.craftSpeedY = -8.717179e-06f, start.craftHeight = 21;
  start.craftOnGround = 1, start.fireCooldown = -30000, start.score = -kLargestStartScore,
  start.flashLevel = 255;
  start.roundEndTime = 123, start.gameOver = 1, start.restartRequested = 1, start.warningPhase = 359.99997f;
  start.backdropX = -0.0f, start.lastEvent = 16, start.cursor = 1;
  start.entities = {Entity{1279.5f, -70.0f, 7.9f, 5.9f, -0.1f, 4, KindRock},
                    Entity{1.0e-30f, 3.4028235e38f, 0.0f, 0.0f, 0.0f, -1, KindSpark}};
  start.mouseButtons = {1, 3};
  round.input = {{28, 29, 255}, false, true};
  RecordingHeader unnamed = round;
  unnamed.program.clear();
  unnamed.input = {};
  for (const RecordingHeader& header : {round, unnamed, old}) {
    const ParseResult parsed = ParseScript(FormatHeader(header) + "9 close\n");
    ASSERT_EQ(parsed.error, "") << header.program;
    EXPECT_EQ(parsed.recording, header) << header.program;
  }
}

// Numbers no round starts with, which would overflow the game's arithmetic as the round goes on, are
// refused by their line; the limits themselves are read.
TEST(ReplayScript, RecordingStartsHoldOnlyNumbersARoundCanHold) {
  struct Start {
    const char* what;
    void (*change)(RoundStart& start);
    const char* refused;  // the start of the error, "" when read
  };
  const char* const kGameLine = "line 8: cannot read \"game ";
  const char* const kEntityLine = "line 9: cannot read \"entity ";
  const Start starts[] = {
      {"the largest score", [](RoundStart& s) { s.score = kLargestStartScore; }, ""},
      {"a larger score", [](RoundStart& s) { s.score = kLargestStartScore + 1; }, kGameLine},
      {"a score below the least", [](RoundStart& s) { s.score = -kLargestStartScore - 1; }, kGameLine},
      {"the brightest flash", [](RoundStart& s) { s.flashLevel = kLargestStartFlash; }, ""},
      {"a brighter flash", [](RoundStart& s) { s.flashLevel = kLargestStartFlash + 1; }, kGameLine},
      {"a negative flash", [](RoundStart& s) { s.flashLevel = -1; }, kGameLine},
      {"the latest end", [](RoundStart& s) { s.roundEndTime = kLatestRoundEnd; }, ""},
      {"a later end", [](RoundStart& s) { s.roundEndTime = kLatestRoundEnd + 1; }, kGameLine},
      {"an end before 1970", [](RoundStart& s) { s.roundEndTime = -1; }, kGameLine},
      {"the furthest picture", [](RoundStart& s) { s.entities[0].frame = -kLargestStartFrame; }, ""},
      {"a picture further still", [](RoundStart& s) { s.entities[0].frame = 2 * kLargestStartFrame; },
       kEntityLine},
  };
  for (const Start& start : starts) {
    RecordingHeader header;
    header.start.craftHeight = 21;
    header.start.entities = {Entity{1279.5f, -70.0f, 7.9f, 5.9f, -0.1f, 4, KindExplosion}};
    start.change(header.start);
    const std::string error = ParseScript(FormatHeader(header) + "9 close\n").error;
    EXPECT_EQ(error.substr(0, std::string_view(start.refused).size()), start.refused)
        << start.what << ": " << error;
    EXPECT_EQ(error.empty(), *start.refused == '\0') << start.what << ": " << error;
  }
}

TEST(ReplayLog, FloatsReadBackToTheSameValue) {
  FrameRecord record;
  record.frame = 3;
  record.screen = "playing";
  record.craftY = 304.19876f;
  record.craftSpeedY = -8.717179e-06f;
  record.sounds = {0, 2};
  const std::string line = FormatLogLine(record);
  EXPECT_NE(line.find("\"craftY\":304.19876,"), std::string::npos) << line;
  EXPECT_NE(line.find("\"craftSpeedY\":-8.717179e-06,"), std::string::npos) << line;
  EXPECT_NE(line.find("\"sounds\":[0,2]}"), std::string::npos) << line;
}

}  // namespace
}  // namespace pellaris::play

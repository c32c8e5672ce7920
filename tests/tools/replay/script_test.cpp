// The replay tool's script reader and log lines.
#include <gtest/gtest.h>

#include <string>

#include "tools/replay/machine.h"
#include "tools/replay/replay.h"
#include "tools/replay/script.h"

namespace pellaris::replay {
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

// The writer's headers read back as written, whether or not they name the program.
TEST(ReplayScript, RecordingHeadersReadBackAsWritten) {
  for (const RecordingHeader& header : {RecordingHeader{}, RecordingHeader{1, "1.2.0", 4294967295u, true, 7}}) {
    const ParseResult parsed = ParseScript(FormatHeader(header) + "9 close\n");
    ASSERT_EQ(parsed.error, "") << header.program;
    EXPECT_EQ(parsed.recording, header) << header.program;
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
}  // namespace pellaris::replay

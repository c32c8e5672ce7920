// The replay tool's script reader and log lines.
#include <gtest/gtest.h>

#include <string>

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

TEST(ReplayScript, ErrorsNameTheLineAndShowOnlyPrintableText) {
  const std::string error = ParseScript("1 close\n\n3 key \x1b[2Jdown 1\n").error;
  EXPECT_EQ(error, "line 3: cannot read \"3 key \\x1b[2Jdown 1\"");
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

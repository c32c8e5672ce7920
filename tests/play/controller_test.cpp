// A game controller driven through the replay script plays exactly as the keys it stands for: the
// same script with pad lines in place of key lines gives the same run, pass for pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play/format/script.h"
#include "play/replay.h"

namespace pellaris::play {
namespace {

std::vector<std::string> LogOf(const std::string& script) {
  ReplayOptions options;
  options.seed = 5;
  options.frames = 400;
  const ParseResult parsed = ParseScript(script);
  EXPECT_EQ(parsed.error, "") << script;
  options.events = parsed.events;
  std::vector<std::string> lines;
  RunReplay(options, nullptr, [&](const FrameRecord& record) { lines.push_back(FormatLogLine(record)); });
  return lines;
}

// A round started, then the control held from pass 100 to 250.
std::string Held(const std::string& start, const std::string& down, const std::string& up) {
  return "2 " + start + "\n100 " + down + "\n250 " + up + "\n";
}

struct Case {
  const char* what;
  std::string keys, pad;
};

TEST(Controller, DrivesTheGameAsTheKeysItStandsFor) {
  const std::string enter = "key down 28", pressStart = "pad down start";
  const Case cases[] = {
      {"a thrusts", Held(enter, "key down 57", "key up 57"), Held(pressStart, "pad down a", "pad up a")},
      {"the d-pad's up thrusts", Held(enter, "key down 57", "key up 57"),
       Held(pressStart, "pad down dpup", "pad up dpup")},
      {"the left stick pushed up thrusts", Held(enter, "key down 57", "key up 57"),
       Held(pressStart, "pad axis lefty -30000", "pad axis lefty 0")},
      {"b fires", Held(enter, "key down 29", "key up 29"), Held(pressStart, "pad down b", "pad up b")},
      {"the right trigger fires", Held(enter, "key down 29", "key up 29"),
       Held(pressStart, "pad axis righttrigger 32767", "pad axis righttrigger 0")},
      {"x fires at the limited rate", Held(enter, "key down 157", "key up 157"),
       Held(pressStart, "pad down x", "pad up x")},
      {"unplugging releases what the pad held", Held(enter, "key down 57", "key up 57"),
       Held(pressStart, "pad down a", "pad disconnect")},
      {"back quits", "2 key down 28\n150 key down 1\n", "2 pad down start\n150 pad down back\n"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> keys = LogOf(c.keys), pad = LogOf(c.pad);
    EXPECT_GT(keys.size(), 100u) << c.what;
    EXPECT_EQ(keys, pad) << c.what;
  }
}

// A stick nudged less than half way, as a worn stick rests, does nothing.
TEST(Controller, AStickOffCentreDoesNotThrust) {
  EXPECT_EQ(LogOf("2 key down 28\n3 key up 28\n"),
            LogOf("2 key down 28\n3 key up 28\n100 pad axis lefty -12000\n"));
}

}  // namespace
}  // namespace pellaris::play

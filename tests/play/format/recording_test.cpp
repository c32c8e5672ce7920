// What a recording's reader refuses, and how it says so: anything a real round cannot be, by its line.
#include "play/format/recording.h"

#include <gtest/gtest.h>

#include <string>

namespace pellaris::play {
namespace {

// The header of a round that stands alone, its start trimmed to what the reader needs.
std::string Header(const std::string& extra = "") {
  std::string random = "random";
  for (int i = 0; i < 34; ++i) random += " 0000000" + std::to_string(i % 10);
  return "pellaris-recording 2\nrules 1\nseed 5\ndisplay window\ndate 1000\n" + random +
         " 16 6 973\ncraft 40 189.5 0 21 0 30\ngame 0 0 1120 0 0 0 0 0 -1\n" + extra;
}

// 61 passes a second for the round's two minutes: the clock's lines a real round has.
std::string Clock(int fromPass, int seconds) {
  std::string lines;
  for (int second = 1; second <= seconds; ++second)
    lines += std::to_string(fromPass + 61 * second) + " time " + std::to_string(1000 + second) + "\n";
  return lines;
}

TEST(RecordingReader, RefusesWhatNoRoundCanBeByItsLine) {
  struct Case {
    std::string text, says;
  };
  const Case cases[] = {
      {Header("5 key down 29\n2000000000 end 50\n"),
       "line 10: pass 2000000000 of the round is later than a round"},
      {Header("90 key down 29\n40 key up 29\n"), "line 10: the passes go back: pass 40 after pass 90"},
      {Header("1 time 1000\n61 time 999\n"), "line 10: the round's clock goes back, from 1000 to 999"},
      {Header("1 key down 29\n5000 end 30\n"),
       "line 10: the round has run 4999 passes while its clock went 0"},
      {Header("1 pause on\n") + "219600 key up 29\n", ""},  // paused for an hour: allowed
      {Header("1 pause on\n") + "219601 key up 29\n", "line 10: pass 219601 of the round is later"},
      {Header(Clock(0, 120)) + "7400 end 30\n", ""},
      {"\xEF\xBB\xBFpellaris-recording 2\n", "line 1: the file starts with a byte order mark"},
      {"pellaris-recording 99999999999999999999\n1 end 5\n", "a newer Pellaris plays it"},
      {"pellaris-recording 3\n1 end 5\n",
       "line 1: this recording is in format \"3\"; this Pellaris reads formats 1 to 2: a newer"},
      {"pellaris-recording x\n1 end 5\n", "this recording is in format \"x\""},
      {"pellaris-recording 0\n1 end 5\n", "this recording is in format \"0\""},
      {"pellaris-recording 2\nseed 5\n1 end 5\n", "line 3: the header lacks one of 'rules'"},
      {Header("seed 6\n"), "line 9: cannot read \"seed 6\": 'seed' is given twice"},
      {Header("entity 9 1 1 1 1 1 1\n"), "line 9: cannot read \"entity 9 1 1 1 1 1 1\": a header line is"},
      {Header("entity 0 nan 1 1 1 1 1\n"), "cannot read \"entity 0 nan 1 1 1 1 1\""},
      {Header("held key 256\n"), "cannot read \"held key 256\""},
      {Header(), "the recording holds no passes"},
      {Header("5 clock 30\n"), "a recording holds what the game read: \"5 clock 30\" belongs in a script"},
      {"pellaris-recording 1\nround 99999999\n1 key down 28\n", "line 2: cannot read \"round 99999999\""},
      {"pellaris-recording 1\nround 10\n1 time 5\n5 time 4\n12 key down 29\n",
       ""},  // before its round, a session's clock may do anything
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<Recording> recording = ReadRecording(c.text, error);
    if (c.says.empty()) {
      EXPECT_TRUE(recording) << error << " // " << c.text.substr(c.text.size() > 60 ? c.text.size() - 60 : 0);
    } else {
      EXPECT_FALSE(recording) << c.says;
      EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
  }
}

TEST(RecordingReader, EntitiesBeyondARoundsAreRefused) {
  std::string entities;
  for (std::size_t i = 0; i <= kMostStartEntities; ++i) entities += "entity 0 1 1 1 1 1 1\n";
  std::string error;
  EXPECT_FALSE(ReadRecording(Header(entities) + "1 end 5\n", error));
  EXPECT_NE(error.find("line " + std::to_string(8 + kMostStartEntities + 1)), std::string::npos) << error;
}

}  // namespace
}  // namespace pellaris::play

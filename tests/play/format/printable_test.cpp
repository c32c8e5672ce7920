#include "play/format/printable.h"

#include <gtest/gtest.h>

#include <string>

namespace pellaris::play {
namespace {

TEST(Printable, EscapesControlsAndBrokenUtf8) {
  struct Case {
    std::string text, printed;
    bool plain;
  };
  const Case cases[] = {
      {"--scale", "--scale", true},
      {"grün ☃", "grün ☃", true},
      {"a\tb\r\n", "a\\x09b\\x0d\\x0a", true},
      {"\x1b[2J", "\\x1b[2J", false},
      {"back\\slash", "back\\\\slash", true},
      {"\x7f", "\\x7f", false},
      {"\xc2\x85", "\\xc2\\x85", false},           // C1 next-line
      {"\xc3", "\\xc3", false},                    // cut short
      {"\xed\xa0\x80", "\\xed\\xa0\\x80", false},  // a surrogate
      {"\xc0\xaf", "\\xc0\\xaf", false},           // overlong
      {std::string("a\0b", 3), "a\\x00b", false},
      // Characters that reverse what follows them on the screen: an "exe.txt" shown as "txt.exe".
      {"\xe2\x80\xae"
       "exe.txt",
       "\\xe2\\x80\\xae"
       "exe.txt",
       false},  // U+202E
      {"a\xe2\x81\xa6"
       "b\xe2\x81\xa9",
       "a\\xe2\\x81\\xa6"
       "b\\xe2\\x81\\xa9",
       false},                                     // U+2066, U+2069
      {"\xe2\x80\x8f", "\\xe2\\x80\\x8f", false},  // U+200F
      {"\xe2\x80\xa9", "\xe2\x80\xa9", true},      // U+2029 is not one of them
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Printable(c.text), c.printed) << c.printed;
    EXPECT_EQ(IsPlainText(c.text), c.plain) << c.printed;
  }
}

TEST(Printable, CutsLongTextsBetweenCharactersWithAMark) {
  const std::string ascii(kLongestPrintable, 'a');
  EXPECT_EQ(Printable(ascii), ascii) << "exactly the limit is kept whole";
  EXPECT_EQ(Printable(ascii + "b"), ascii + "...");
  // 199 bytes, then a two-byte letter that would end past the limit.
  const std::string text = std::string(kLongestPrintable - 1, 'a') + "\xc3\xbc";
  EXPECT_EQ(Printable(text), std::string(kLongestPrintable - 1, 'a') + "...");
  EXPECT_EQ(Printable(std::string(1000, '\x1b')).size(), kLongestPrintable * 4 + 3)
      << "the limit counts the text's own bytes, not the escapes";
}

}  // namespace
}  // namespace pellaris::play

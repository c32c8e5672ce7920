#include "play/daily.h"

#include <gtest/gtest.h>

namespace pellaris::play {
namespace {

// The seeds below were computed apart from the program, from the text the header describes: any change
// to how the seed is made must show here (it would split a day's players between two boards).
TEST(DailySeed, IsTheHashOfTheDateAndTheRules) {
  struct Case {
    UtcDate date;
    int rules;
    std::uint32_t seed;
  };
  const Case cases[] = {
      {{2026, 12, 10}, 1, 0x8960cfdfu},
      {{2026, 12, 11}, 1, 0xdebecff4u},
      {{2026, 12, 10}, 2, 0x8a60d172u},
      {{1970, 1, 1}, 1, 0xccc57246u},
      {{2026, 12, 8}, 1, 4215671478u},
      {{2026, 1, 5}, 12, 838729893u},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DailySeed(c.date, c.rules), c.seed) << DateText(c.date) << " " << c.rules;
}

TEST(DailySeed, DatesByUtcAndAsText) {
  EXPECT_EQ(UtcDateOf(0), (UtcDate{1970, 1, 1}));
  EXPECT_EQ(UtcDateOf(1798761599), (UtcDate{2026, 12, 31}));  // the last second of the year
  EXPECT_EQ(UtcDateOf(1798761600), (UtcDate{2027, 1, 1}));
  EXPECT_EQ(DateText({2026, 3, 7}), "2026-03-07");
  EXPECT_EQ(DateFromText("2024-02-29"), (UtcDate{2024, 2, 29}));
  for (const char* wrong : {"2023-02-29", "2026-13-01", "2026-1-01", "2026-+1-01", "26-01-01x", "",
                            "1969-12-31", "2026-01-01 "}) {
    EXPECT_FALSE(DateFromText(wrong)) << wrong;
  }
}

}  // namespace
}  // namespace pellaris::play

#include "runtime/platform/web/web_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/platform/key_codes.h"

namespace rt::platform {
namespace {

TEST(WebKeyCodes, TheGamesKeysHaveTheirCodesAndLeftAndRightStayApart) {
  EXPECT_EQ(KeyCodeFromDomCode("Escape"), kKeyEscape);
  EXPECT_EQ(KeyCodeFromDomCode("Enter"), kKeyEnter);
  EXPECT_EQ(KeyCodeFromDomCode("Space"), kKeySpace);
  EXPECT_EQ(KeyCodeFromDomCode("Tab"), kKeyTab);
  EXPECT_EQ(KeyCodeFromDomCode("ControlLeft"), kKeyLeftCtrl);
  EXPECT_EQ(KeyCodeFromDomCode("ControlRight"), kKeyRightCtrl);
  EXPECT_EQ(KeyCodeFromDomCode("ShiftRight"), kKeyRightShift);
  EXPECT_EQ(KeyCodeFromDomCode("AltLeft"), kKeyLeftAlt);
  EXPECT_EQ(KeyCodeFromDomCode("AltRight"), kKeyRightAlt);
  EXPECT_NE(KeyCodeFromDomCode("ShiftLeft"), KeyCodeFromDomCode("ShiftRight"));
  EXPECT_EQ(KeyCodeFromDomCode("NumpadEnter"), kKeyEnter + kExtendedKey);
}

TEST(WebKeyCodes, EveryNameHasACodeOfItsOwnAndOtherNamesNone) {
  std::set<int> codes;
  for (const std::string_view name : DomCodes()) {
    const int code = KeyCodeFromDomCode(name);
    ASSERT_GT(code, 0) << name;
    ASSERT_LT(code, 256) << name;
    EXPECT_TRUE(codes.insert(code).second) << name << " shares its code";
  }
  // Names are case-sensitive, and the browser's names for what is not a key mean nothing here.
  EXPECT_EQ(KeyCodeFromDomCode("keya"), 0);
  EXPECT_EQ(KeyCodeFromDomCode(""), 0);
  EXPECT_EQ(KeyCodeFromDomCode("Unidentified"), 0);
  EXPECT_EQ(KeyCodeFromDomCode("Fn"), 0);
}

// The browser numbers the buttons left, middle, right, back, forward.
TEST(WebButtons, MiddleAndRightSwapTheirNumbers) {
  EXPECT_EQ(ButtonFromDomButton(0), 1);
  EXPECT_EQ(ButtonFromDomButton(1), 3);
  EXPECT_EQ(ButtonFromDomButton(2), 2);
  EXPECT_EQ(ButtonFromDomButton(3), 4);
  EXPECT_EQ(ButtonFromDomButton(4), 5);
  EXPECT_EQ(ButtonFromDomButton(5), 0);
  EXPECT_EQ(ButtonFromDomButton(-1), 0);
}

}  // namespace
}  // namespace rt::platform

#include "runtime/platform/sdl/sdl_mapping.h"

#include <SDL_gamecontroller.h>
#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "runtime/platform/web/web_keys.h"

namespace rt::platform {
namespace {

TEST(SdlKeyCodes, TheGamesKeysHaveTheirCodes) {
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_ESCAPE), 1);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_RETURN), 28);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_LCTRL), 29);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_RSHIFT), 54);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_SPACE), 57);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_RCTRL), 157);
}

// The browser backend names the keys by KeyboardEvent.code; both backends know the same keys.
TEST(SdlKeyCodes, TheBrowsersKeyNamesReachTheSameCodes) {
  std::set<int> sdl, web;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    if (const int code = KeyCodeFromSdlScancode(scancode)) sdl.insert(code);
  for (const std::string_view name : DomCodes()) web.insert(KeyCodeFromDomCode(name));
  EXPECT_EQ(web, sdl);
}

TEST(SdlKeyCodes, ExtendedKeysAreTheirTwinsPlus128) {
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_KP_ENTER), KeyCodeFromSdlScancode(SDL_SCANCODE_RETURN) + 128);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_RALT), KeyCodeFromSdlScancode(SDL_SCANCODE_LALT) + 128);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_UP), KeyCodeFromSdlScancode(SDL_SCANCODE_KP_8) + 128);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_DELETE),
            KeyCodeFromSdlScancode(SDL_SCANCODE_KP_PERIOD) + 128);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_KP_DIVIDE), KeyCodeFromSdlScancode(SDL_SCANCODE_SLASH) + 128);
}

TEST(SdlKeyCodes, EveryKeyOfTheMainBlockHasItsOwnCode) {
  std::set<int> codes;
  int mapped = 0;
  for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_KP_PERIOD; ++scancode) {
    const int code = KeyCodeFromSdlScancode(scancode);
    if (scancode == SDL_SCANCODE_NONUSHASH) continue;  // shares the backslash position
    ASSERT_GT(code, 0) << scancode;
    ASSERT_LT(code, 256);
    codes.insert(code);
    ++mapped;
  }
  EXPECT_EQ(static_cast<int>(codes.size()), mapped);
  for (int scancode = SDL_SCANCODE_LCTRL; scancode <= SDL_SCANCODE_RGUI; ++scancode) {
    EXPECT_TRUE(codes.insert(KeyCodeFromSdlScancode(scancode)).second) << scancode;
  }
}

TEST(SdlKeyCodes, UnknownScancodesHaveNoCode) {
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(KeyCodeFromSdlScancode(-1), 0);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_NUM_SCANCODES), 0);
  EXPECT_EQ(KeyCodeFromSdlScancode(SDL_SCANCODE_APP1), 0);
}

TEST(SdlButtons, LeftRightMiddle) {
  EXPECT_EQ(ButtonFromSdlButton(1), 1);  // SDL: left
  EXPECT_EQ(ButtonFromSdlButton(3), 2);  // SDL: right
  EXPECT_EQ(ButtonFromSdlButton(2), 3);  // SDL: middle
  EXPECT_EQ(ButtonFromSdlButton(0), 0);
  EXPECT_EQ(ButtonFromSdlButton(9), 0);
}

// Every button and axis SDL's game controller has is one of ours under the same name, and back.
TEST(SdlPads, EverySdlButtonAndAxisIsOursByTheSameName) {
  for (int sdl = 0; sdl < SDL_CONTROLLER_BUTTON_MAX; ++sdl) {
    PadButton button{};
    ASSERT_TRUE(PadButtonFromSdl(sdl, button)) << sdl;
    EXPECT_STREQ(PadButtonName(button),
                 SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(sdl)));
    EXPECT_EQ(SdlPadButton(button), sdl);
  }
  for (int sdl = 0; sdl < SDL_CONTROLLER_AXIS_MAX; ++sdl) {
    PadAxis axis{};
    ASSERT_TRUE(PadAxisFromSdl(sdl, axis)) << sdl;
    EXPECT_STREQ(PadAxisName(axis),
                 SDL_GameControllerGetStringForAxis(static_cast<SDL_GameControllerAxis>(sdl)));
    EXPECT_EQ(SdlPadAxis(axis), sdl);
  }
  EXPECT_EQ(kPadButtonCount, SDL_CONTROLLER_BUTTON_MAX);
  EXPECT_EQ(kPadAxisCount, SDL_CONTROLLER_AXIS_MAX);
  PadButton button{};
  PadAxis axis{};
  EXPECT_FALSE(PadButtonFromSdl(SDL_CONTROLLER_BUTTON_MAX, button));
  EXPECT_FALSE(PadButtonFromSdl(SDL_CONTROLLER_BUTTON_INVALID, button));
  EXPECT_FALSE(PadAxisFromSdl(SDL_CONTROLLER_AXIS_MAX, axis));
  EXPECT_EQ(SdlPadButton(static_cast<PadButton>(kPadButtonCount)), SDL_CONTROLLER_BUTTON_INVALID);
}

struct FitCase {
  int outputWidth, outputHeight;
  Rect expected;
};

class FullScreenFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(FullScreenFit, PictureIsCentredWithItsShapeKept) {
  const FitCase& fit = GetParam();
  const Rect got = FitToOutput(640, 400, fit.outputWidth, fit.outputHeight);
  EXPECT_EQ(got.x, fit.expected.x);
  EXPECT_EQ(got.y, fit.expected.y);
  EXPECT_EQ(got.width, fit.expected.width);
  EXPECT_EQ(got.height, fit.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, FullScreenFit,
    ::testing::Values(FitCase{640, 400, {0, 0, 640, 400}},         // exact
                      FitCase{1920, 1080, {320, 140, 1280, 800}},  // whole scale 2, not 2.7
                      FitCase{1280, 800, {0, 0, 1280, 800}},
                      FitCase{1024, 768, {192, 184, 640, 400}},    // scale 1 with bars all round
                      FitCase{3840, 2160, {320, 80, 3200, 2000}},  // scale 5
                      FitCase{320, 240, {0, 20, 320, 200}},        // smaller: shrunk, width limits
                      FitCase{600, 300, {60, 0, 480, 300}}));      // smaller: height limits

TEST(FullScreenFitEdges, NothingToShowOnNothing) {
  const Rect none = FitToOutput(640, 400, 0, 0);
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.height, 0);
}

struct ScaleCase {
  const char* name;
  int asked, usableWidth, usableHeight;
  int expected;
};

class WindowScales : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(WindowScales, AScaleThatDoesNotFitGivesWayToTheLargestThatDoes) {
  const ScaleCase& c = GetParam();
  EXPECT_EQ(WindowScale(c.asked, 640, 400, c.usableWidth, c.usableHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, WindowScales,
    ::testing::Values(ScaleCase{"TwoFits", 2, 1920, 1080, 2}, ScaleCase{"TwoTooWide", 2, 1024, 768, 1},
                      ScaleCase{"ThreeTooHigh", 3, 1366, 768, 1},
                      ScaleCase{"FiveDownToThree", 5, 1920, 1300, 3},
                      ScaleCase{"ExactlyTheDesktop", 2, 1280, 800, 2},
                      ScaleCase{"EvenTheFirstTooLarge", 2, 600, 300, 1},
                      ScaleCase{"LargestComfortable", 0, 1920, 1080, 2},  // 3 would fill more than 9/10
                      ScaleCase{"ComfortableOnASmallDesktop", 0, 800, 600, 1},
                      ScaleCase{"ComfortableOnAHugeDesktop", 0, 3840, 2160, 4}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConfinementCase {
  const char* name;
  int clientX, clientY;  // the window's client area on a 1024 x 768 desktop
  std::optional<Rect> expected;
};

class CursorConfinement : public ::testing::TestWithParam<ConfinementCase> {};

TEST_P(CursorConfinement, HoldsTheCursorOnlyWhereTheWindowIsOnTheDesktop) {
  const ConfinementCase& c = GetParam();
  const std::optional<Rect> got =
      ConfinementOnDesktop(Rect{0, 0, 640, 400}, c.clientX, c.clientY, Rect{0, 0, 1024, 768});
  ASSERT_EQ(got.has_value(), c.expected.has_value());
  if (!got) return;
  EXPECT_EQ(got->x, c.expected->x);
  EXPECT_EQ(got->y, c.expected->y);
  EXPECT_EQ(got->width, c.expected->width);
  EXPECT_EQ(got->height, c.expected->height);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, CursorConfinement,
    ::testing::Values(ConfinementCase{"Inside", 100, 50, Rect{0, 0, 640, 400}},
                      ConfinementCase{"TouchingTheEdges", 384, 368, Rect{0, 0, 640, 400}},
                      ConfinementCase{"PastTheLeftEdge", -200, 100, Rect{200, 0, 440, 400}},
                      ConfinementCase{"PastTheTopLeftCorner", -300, -80, Rect{300, 80, 340, 320}},
                      ConfinementCase{"PastTheRightEdge", 900, 100, Rect{0, 0, 124, 400}},
                      ConfinementCase{"PastTheBottom", 100, 700, Rect{0, 0, 640, 68}},
                      ConfinementCase{"OneColumnLeft", 1023, 0, Rect{0, 0, 1, 400}},
                      ConfinementCase{"WhollyOffToTheLeft", -640, 0, std::nullopt},
                      ConfinementCase{"WhollyBelow", 0, 768, std::nullopt},
                      ConfinementCase{"FarAway", 2147483000, -2147483000, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CursorConfinementEdges, AnAreaWithinTheClientAreaIsClippedInItsOwnPlace) {
  // A stretched windowed screen shows its picture at (20, 10) in the client area.
  const std::optional<Rect> got = ConfinementOnDesktop(Rect{20, 10, 640, 400}, -30, 0, Rect{0, 0, 1024, 768});
  ASSERT_TRUE(got);
  EXPECT_EQ(got->x, 30);
  EXPECT_EQ(got->width, 630);
  EXPECT_EQ(got->height, 400);
}

TEST(CursorConfinementEdges, ADesktopOfSeveralScreensCountsWhole) {
  // A second screen to the left of the first starts at a negative x.
  const std::optional<Rect> got =
      ConfinementOnDesktop(Rect{0, 0, 640, 400}, -200, 0, Rect{-1280, 0, 2304, 1024});
  ASSERT_TRUE(got);
  EXPECT_EQ(got->x, 0);
  EXPECT_EQ(got->width, 640);
}

}  // namespace
}  // namespace rt::platform

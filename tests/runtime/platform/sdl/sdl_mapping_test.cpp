#include "runtime/platform/sdl/sdl_mapping.h"

#include <SDL_gamecontroller.h>
#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace rt::platform

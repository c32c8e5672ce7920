// Which lines of a file of pad mappings reach SDL: those SDL would take on this platform, the last for
// each controller, and no more than the largest number.
#include "runtime/platform/sdl/sdl_pad_mappings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt::platform {
namespace {

struct SelectionCase {
  const char* name;
  const char* text;
  std::vector<std::string> expected;
  bool cut = false;
};

class PadMappingSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(PadMappingSelection, KeepsWhatSdlWouldTakeOnce) {
  const SelectionCase& c = GetParam();
  const PadMappingLines got = SelectPadMappings(c.text, "Linux", 2);
  EXPECT_EQ(got.lines, c.expected);
  EXPECT_EQ(got.cut, c.cut);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PadMappingSelection,
    ::testing::Values(
        SelectionCase{"OtherPlatformsLeftOut",
                      "a,A,platform:Windows,\nb,B,platform:Linux,\nc,C,platform:Mac OS X,\n",
                      {"b,B,platform:Linux,"}},
        SelectionCase{"NoPlatformLeftOut", "a,A,a:b0,\n", {}},
        SelectionCase{"PlatformWithoutItsCommaLeftOut", "a,A,platform:Linux\n", {}},
        SelectionCase{"PlatformThatOnlyStartsAlikeLeftOut", "a,A,platform:Linuxish,\n", {}},
        SelectionCase{"PlatformInAnyCase", "a,A,platform:LINUX,\n", {"a,A,platform:LINUX,"}},
        SelectionCase{"LastLineForAControllerInItsFirstPlace",
                      "a,A1,platform:Linux,\nb,B,platform:Linux,\na,A2,platform:Linux,\n",
                      {"a,A2,platform:Linux,", "b,B,platform:Linux,"}},
        SelectionCase{"CommentsBlankLinesAndCarriageReturns",
                      "# a,A,platform:Linux,\n\r\n\nb,B,platform:Linux,\r\n",
                      {"b,B,platform:Linux,"}},
        SelectionCase{"LastLineWithoutItsEnd", "a,A,platform:Linux,", {"a,A,platform:Linux,"}},
        SelectionCase{"ControllersPastTheLargestCut",
                      "a,A,platform:Linux,\nb,B,platform:Linux,\nc,C,platform:Linux,\na,A2,platform:Linux,\n",
                      {"a,A2,platform:Linux,", "b,B,platform:Linux,"},
                      true},
        SelectionCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rt::platform

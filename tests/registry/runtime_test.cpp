#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/text.h"
#include "runtime/display/runtime.h"
#include "tests/core/fake_platform.h"

namespace rt {
namespace {

std::vector<EndOrder> ended;

template <EndOrder slot>
void Ended() {
  ended.push_back(slot);
}

class Runtime : public testing::Test {
 protected:
  void SetUp() override {
    EndRuntime();  // forget whatever an earlier test left registered
    ended.clear();
  }
};

TEST_F(Runtime, EndRunsTheRoutinesInTheFixedOrder) {
  RegisterEndRoutine(EndOrder::Keyboard, Ended<EndOrder::Keyboard>);
  RegisterEndRoutine(EndOrder::Screen, Ended<EndOrder::Screen>);
  RegisterEndRoutine(EndOrder::Windows, Ended<EndOrder::Windows>);
  RegisterEndRoutine(EndOrder::SpriteSystem, Ended<EndOrder::SpriteSystem>);
  RegisterEndRoutine(EndOrder::Mouse, Ended<EndOrder::Mouse>);
  RegisterEndRoutine(EndOrder::Sound, Ended<EndOrder::Sound>);
  EndRuntime();
  EXPECT_EQ(ended, (std::vector<EndOrder>{EndOrder::Windows, EndOrder::Sound, EndOrder::Mouse,
                                          EndOrder::SpriteSystem, EndOrder::Screen, EndOrder::Keyboard}));
}

TEST_F(Runtime, EndForgetsTheRegistrations) {
  RegisterEndRoutine(EndOrder::Sound, Ended<EndOrder::Sound>);
  EndRuntime();
  EndRuntime();
  EXPECT_EQ(ended, (std::vector<EndOrder>{EndOrder::Sound}));
}

TEST_F(Runtime, APartialStartEndsOnlyWhatStarted) {
  RegisterEndRoutine(EndOrder::Keyboard, Ended<EndOrder::Keyboard>);
  RegisterEndRoutine(EndOrder::Windows, Ended<EndOrder::Windows>);
  EndRuntime();
  EXPECT_EQ(ended, (std::vector<EndOrder>{EndOrder::Windows, EndOrder::Keyboard}));
}

TEST_F(Runtime, RegisteringAgainReplacesAndInvalidSlotsAreIgnored) {
  RegisterEndRoutine(EndOrder::Mouse, Ended<EndOrder::Keyboard>);
  RegisterEndRoutine(EndOrder::Mouse, Ended<EndOrder::Mouse>);
  RegisterEndRoutine(EndOrder::Count, Ended<EndOrder::Count>);
  RegisterEndRoutine(static_cast<EndOrder>(-3), Ended<EndOrder::Count>);
  EndRuntime();
  EXPECT_EQ(ended, (std::vector<EndOrder>{EndOrder::Mouse}));
}

TEST_F(Runtime, StartEmptiesTheStringAccumulator) {
  AppendString("left over");
  StartRuntime();
  EXPECT_EQ(AccumulatorTop(), 0u);
  EXPECT_EQ(AccumulatorCapacity(), 16u);
}

TEST_F(Runtime, ProgramFilenameIsTheBackendsProgramPath) {
  test::ScopedFakePlatform platform;
  platform.fake.programPath = "/usr/games/pellaris";
  EXPECT_EQ(ProgramFilename(), "/usr/games/pellaris");
}

}  // namespace
}  // namespace rt

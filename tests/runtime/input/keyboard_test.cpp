#include <climits>

#include "tests/runtime/input/input_fixture.h"

namespace rt::test {
namespace {

using platform::Action;

constexpr int kEscape = 1, kEnter = 28, kLeftCtrl = 29, kSpace = 57, kRightCtrl = 157;

class KeyboardTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    OpenWindowed();
    ASSERT_EQ(InitKeyboardInput(), 1);
  }
};

TEST_F(KeyboardTest, NothingIsHeldBeforeTheFirstRead) {
  machine.Apply(Action::KeyDown(kEscape));
  EXPECT_EQ(KeyDown(kEscape), 0);
  EXPECT_EQ(KeyDown(-1), 0);
}

TEST_F(KeyboardTest, HeldKeyReadsAs128AndAnyKeyAsOne) {
  machine.Apply(Action::KeyDown(kEscape));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kEscape), 128);
  EXPECT_EQ(KeyDown(-1), 1);
  EXPECT_EQ(KeyDown(kEnter), 0);
}

TEST_F(KeyboardTest, SnapshotChangesOnlyWhenRead) {
  ASSERT_EQ(ReadKeyboard(), 1);
  machine.Apply(Action::KeyDown(kSpace));
  EXPECT_EQ(KeyDown(kSpace), 0);
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kSpace), 128);
  machine.Apply(Action::KeyUp(kSpace));
  EXPECT_EQ(KeyDown(kSpace), 128);
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kSpace), 0);
  EXPECT_EQ(KeyDown(-1), 0);
}

TEST_F(KeyboardTest, ScriptedKeysArriveAtTheirFrame) {
  machine.At(2, Action::KeyDown(kEnter));
  FlipBuffers();
  ReadKeyboard();
  EXPECT_EQ(KeyDown(kEnter), 0);
  FlipBuffers();
  ReadKeyboard();
  EXPECT_EQ(KeyDown(kEnter), 128);
}

TEST_F(KeyboardTest, AutoRepeatDoesNotKeepAKeyDown) {
  machine.Apply(Action::KeyDown(kSpace));
  machine.Apply(Action::KeyDown(kSpace));
  machine.Apply(Action::KeyDown(kSpace));
  machine.Apply(Action::KeyUp(kSpace));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kSpace), 0);
}

TEST_F(KeyboardTest, LeftAndRightCtrlAreDistinct) {
  machine.Apply(Action::KeyDown(kRightCtrl));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kRightCtrl), 128);
  EXPECT_EQ(KeyDown(kLeftCtrl), 0);
}

TEST_F(KeyboardTest, AnyKeyLeavesOutTheLastCode) {
  machine.Apply(Action::KeyDown(255));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(255), 128);
  EXPECT_EQ(KeyDown(-1), 0);
  machine.Apply(Action::KeyDown(254));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(-1), 1);
}

TEST_F(KeyboardTest, CodesOutsideTheTableReadAsUp) {
  for (int code = 0; code < 256; ++code) machine.Apply(Action::KeyDown(code));
  ASSERT_EQ(ReadKeyboard(), 1);
  for (int code : {256, 1000, -2, INT_MIN, INT_MAX}) EXPECT_EQ(KeyDown(code), 0) << code;
}

TEST_F(KeyboardTest, WithoutTheFocusEveryKeyIsUpUntilItReturns) {
  machine.Apply(Action::KeyDown(kSpace));
  ASSERT_EQ(ReadKeyboard(), 1);
  Do(Action::LoseFocus());
  EXPECT_EQ(ReadKeyboard(), 0);
  EXPECT_EQ(KeyDown(kSpace), 0);
  EXPECT_EQ(KeyDown(-1), 0);
  Do(Action::GainFocus());
  EXPECT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kSpace), 128);
}

TEST_F(KeyboardTest, SecondInitialisationKeepsTheKeyboardAsItIs) {
  machine.Apply(Action::KeyDown(kEscape));
  ASSERT_EQ(ReadKeyboard(), 1);
  EXPECT_NE(InitKeyboardInput(), 0);
  EXPECT_EQ(KeyDown(kEscape), 128);
}

TEST_F(KeyboardTest, EndRoutineForgetsTheKeyboard) {
  machine.Apply(Action::KeyDown(kEscape));
  ASSERT_EQ(ReadKeyboard(), 1);
  EndKeyboardInput();
  EXPECT_EQ(KeyDown(kEscape), 0);
  EXPECT_EQ(ReadKeyboard(), 0);
  EXPECT_EQ(InitKeyboardInput(), 1);
}

TEST_F(InputTest, KeyboardInFullScreenFollowsTheDisplaysActivation) {
  OpenFullScreen();
  ASSERT_EQ(InitKeyboardInput(), 1);
  machine.Apply(Action::KeyDown(kEscape));
  ASSERT_EQ(ReadKeyboard(), 1);
  Do(Action::LoseFocus());
  EXPECT_EQ(ReadKeyboard(), 0);
  EXPECT_EQ(KeyDown(kEscape), 0);
  Do(Action::GainFocus());
  EXPECT_EQ(ReadKeyboard(), 1);
  EXPECT_EQ(KeyDown(kEscape), 128);
}

TEST_F(InputTest, NoKeyboardMeansNoKeyboardInput) {
  machine.SetKeyboardPresent(false);
  OpenFullScreen();
  EXPECT_EQ(InitKeyboardInput(), 0);
  machine.Apply(Action::KeyDown(kEscape));
  EXPECT_EQ(ReadKeyboard(), 0);
  EXPECT_EQ(KeyDown(kEscape), 0);
}

TEST_F(InputTest, NoScreenMeansNoKeys) {
  ASSERT_EQ(InitKeyboardInput(), 1);
  machine.Apply(Action::KeyDown(kEscape));
  EXPECT_EQ(ReadKeyboard(), 0);
  EXPECT_EQ(KeyDown(-1), 0);
}

}  // namespace
}  // namespace rt::test

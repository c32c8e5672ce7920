#include "tests/runtime/input/input_fixture.h"

namespace rt::test {
namespace {

using platform::Action;

class WindowedMouseTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    window = OpenWindowed();
    ASSERT_EQ(InitMouseInput(), 1);
  }

  platform::WindowId window = 0;
};

class FullScreenMouseTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    OpenFullScreen();
    ASSERT_EQ(InitMouseInput(), 1);
  }
};

// ---- Buttons

TEST_F(WindowedMouseTest, ButtonsAreUpBeforeTheFirstRead) {
  machine.Apply(Action::ButtonDown(1));
  EXPECT_EQ(MouseButtonDown(1), 0);
}

TEST_F(WindowedMouseTest, WhatHappenedBeforeTheMouseWasTakenIsNotTheGames) {
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::Motion(20, 20));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(1), 0);
  EXPECT_EQ(MouseX(), 0);
}

TEST_F(WindowedMouseTest, HeldButtonStaysDownWithoutNewEvents) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::ButtonDown(2));
  ASSERT_EQ(ReadMouse(), 1);
  for (int frame = 0; frame < 5; ++frame) ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(2), 1);
  EXPECT_EQ(MouseButtonDown(1), 0);
}

TEST_F(WindowedMouseTest, OnlyTheLastChangeBetweenReadsCounts) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::ButtonUp(1));
  machine.Apply(Action::ButtonUp(3));
  machine.Apply(Action::ButtonDown(3));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(1), 0);
  EXPECT_EQ(MouseButtonDown(3), 1);
}

TEST_F(WindowedMouseTest, OtherButtonNumbersReadAsUp) {
  ASSERT_EQ(ReadMouse(), 1);
  for (int button = 1; button <= 5; ++button) machine.Apply(Action::ButtonDown(button));
  ASSERT_EQ(ReadMouse(), 1);
  for (int button : {0, 4, 5, -1, 1000}) EXPECT_EQ(MouseButtonDown(button), 0) << button;
}

// ---- Motion

TEST_F(WindowedMouseTest, MotionIsSummedPerRead) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(5, 3));
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::Motion(2, -1));
  machine.Apply(Action::Wheel(-2));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseDeltaX(), 7);
  EXPECT_EQ(MouseDeltaY(), 2);
  EXPECT_EQ(MouseWheel(), -2);
  EXPECT_EQ(MouseX(), 7);
  EXPECT_EQ(MouseY(), 2);
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseDeltaX(), 0);
  EXPECT_EQ(MouseWheel(), 0);
  EXPECT_EQ(MouseX(), 7);
}

TEST_F(WindowedMouseTest, PointerStaysInsideTheScreen) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(-5000, -1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 0);
  EXPECT_EQ(MouseY(), 0);
  EXPECT_EQ(MouseDeltaX(), -5000);
  machine.Apply(Action::Motion(100000, 100000));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 639);
  EXPECT_EQ(MouseY(), 399);
  machine.Apply(Action::Motion(1, 1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 639);
}

TEST_F(WindowedMouseTest, LocateSetsThePointerAsGiven) {
  MouseLocate(-20, 5000);
  EXPECT_EQ(MouseX(), -20);
  EXPECT_EQ(MouseY(), 5000);
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 0);
  EXPECT_EQ(MouseY(), 399);
}

TEST_F(WindowedMouseTest, FastMouseNeverOverflows) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::ButtonDown(1));
  for (int i = 0; i < 5000; ++i) machine.Apply(Action::Motion(i % 2 == 0 ? 1 : -1, 1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseDeltaY(), 5000);
  EXPECT_EQ(MouseButtonDown(1), 1);
}

// ---- Too many button changes

TEST_F(WindowedMouseTest, TwentyFourButtonChangesAreKept) {
  ASSERT_EQ(ReadMouse(), 1);
  for (int i = 0; i < 12; ++i) {
    machine.Apply(Action::ButtonDown(2));
    machine.Apply(Action::Motion(1, 0));
    machine.Apply(Action::ButtonUp(2));
  }
  machine.Apply(Action::ButtonDown(1));
  EXPECT_EQ(ReadMouse(), 0);  // 25 changes
  machine.Apply(Action::ButtonDown(1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(1), 1);
}

TEST_F(WindowedMouseTest, OverflowDropsTheEventsAndTheMainButtons) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::ButtonDown(2));
  machine.Apply(Action::ButtonDown(3));
  machine.Apply(Action::Motion(10, 10));
  ASSERT_EQ(ReadMouse(), 1);
  for (int i = 0; i < 30; ++i) machine.Apply(Action::ButtonDown(3));
  machine.Apply(Action::Motion(50, 50));
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_EQ(MouseButtonDown(1), 0);
  EXPECT_EQ(MouseButtonDown(2), 0);
  EXPECT_EQ(MouseButtonDown(3), 1);
  EXPECT_EQ(MouseX(), 10);
  EXPECT_EQ(MouseDeltaX(), 0);
  ASSERT_EQ(ReadMouse(), 1);  // the lost events are gone for good
  EXPECT_EQ(MouseX(), 10);
}

// ---- Taking and giving back the cursor in a window

TEST_F(WindowedMouseTest, FirstReadHidesAndConfinesTheCursorToTheScreen) {
  EXPECT_TRUE(machine.Cursor().visible);
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_FALSE(machine.Cursor().visible);
  EXPECT_TRUE(machine.Cursor().confined);
  EXPECT_EQ(machine.Cursor().confineWindow, window);
  EXPECT_EQ(machine.Cursor().confineArea.x, 0);
  EXPECT_EQ(machine.Cursor().confineArea.width, 640);
  EXPECT_EQ(machine.Cursor().confineArea.height, 400);
  EXPECT_FALSE(machine.Cursor().relative);
}

TEST_F(WindowedMouseTest, CursorFollowsTheGamesPointer) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(30, 40));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(machine.Cursor().warpWindow, window);
  EXPECT_EQ(machine.Cursor().warpX, 30);
  EXPECT_EQ(machine.Cursor().warpY, 40);
}

TEST_F(WindowedMouseTest, ReleaseGivesTheCursorBackUntilTakenAgain) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(30, 40));
  ASSERT_EQ(ReadMouse(), 1);
  ReleaseMouse(1);
  EXPECT_TRUE(machine.Cursor().visible);
  EXPECT_FALSE(machine.Cursor().confined);
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::Motion(5, 5));
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_TRUE(machine.Cursor().visible);
  ReleaseMouse(1);  // twice is harmless
  ReleaseMouse(0);
  EXPECT_TRUE(machine.Cursor().visible);
  const int warps = machine.Cursor().warps;
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_FALSE(machine.Cursor().visible);
  EXPECT_TRUE(machine.Cursor().confined);
  EXPECT_EQ(machine.Cursor().warps, warps + 1);
  EXPECT_EQ(machine.Cursor().warpX, 30);
  // What the player did while the mouse was the desktop's is not the game's.
  EXPECT_EQ(MouseButtonDown(1), 0);
  EXPECT_EQ(MouseX(), 30);
}

TEST_F(WindowedMouseTest, EndingAReleaseThatIsNotInForceChangesNothing) {
  ASSERT_EQ(ReadMouse(), 1);
  const int confines = machine.Cursor().confineCalls;
  ReleaseMouse(0);
  EXPECT_EQ(machine.Cursor().confineCalls, confines);
  machine.Apply(Action::ButtonDown(1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(1), 1);
}

TEST_F(WindowedMouseTest, FocusLossFreesTheCursorAndTheReturnRetakesIt) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(12, 7));
  machine.Apply(Action::ButtonDown(2));
  ASSERT_EQ(ReadMouse(), 1);
  Do(Action::LoseFocus());
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_TRUE(machine.Cursor().visible);
  EXPECT_FALSE(machine.Cursor().confined);
  machine.Apply(Action::Motion(100, 100));
  Do(Action::GainFocus());
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_FALSE(machine.Cursor().visible);
  machine.Apply(Action::Motion(1, 1));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 13);
  EXPECT_EQ(MouseY(), 8);
  EXPECT_EQ(MouseButtonDown(2), 1);
}

TEST_F(WindowedMouseTest, EndRoutineGivesTheCursorBack) {
  ASSERT_EQ(ReadMouse(), 1);
  EndMouseInput();
  EXPECT_TRUE(machine.Cursor().visible);
  EXPECT_FALSE(machine.Cursor().confined);
  EXPECT_EQ(ReadMouse(), 0);
}

// ---- Full screen

TEST_F(FullScreenMouseTest, CursorIsNeverConfinedOrMoved) {
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(3000, 3000));
  ASSERT_EQ(ReadMouse(), 1);
  machine.Apply(Action::Motion(-3, -3));
  ASSERT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseX(), 636);
  EXPECT_EQ(machine.Cursor().confineCalls, 0);
  EXPECT_EQ(machine.Cursor().warps, 0);
  EXPECT_TRUE(machine.Cursor().relative);
}

TEST_F(FullScreenMouseTest, DeactivationLetsGoAndTheFirstReadAfterReturnRetakes) {
  ASSERT_EQ(ReadMouse(), 1);
  Do(Action::LoseFocus());
  EXPECT_FALSE(machine.Cursor().relative);
  EXPECT_EQ(ReadMouse(), 0);
  Do(Action::GainFocus());
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_TRUE(machine.Cursor().relative);
  machine.Apply(Action::ButtonDown(1));
  EXPECT_EQ(ReadMouse(), 1);
  EXPECT_EQ(MouseButtonDown(1), 1);
}

TEST_F(FullScreenMouseTest, ReleaseTurnsRelativeModeOff) {
  ASSERT_EQ(ReadMouse(), 1);
  ReleaseMouse(1);
  EXPECT_FALSE(machine.Cursor().relative);
  EXPECT_EQ(ReadMouse(), 0);
  ReleaseMouse(0);
  EXPECT_EQ(ReadMouse(), 1);
  EXPECT_TRUE(machine.Cursor().relative);
}

TEST_F(InputTest, NoMouseMeansNoMouseInput) {
  machine.SetMousePresent(false);
  OpenFullScreen();
  EXPECT_EQ(InitMouseInput(), 0);
  machine.Apply(Action::ButtonDown(1));
  EXPECT_EQ(ReadMouse(), 0);
  EXPECT_EQ(MouseButtonDown(1), 0);
  EXPECT_FALSE(machine.Cursor().relative);
}

}  // namespace
}  // namespace rt::test

#include "tests/runtime/display/display_fixture.h"

namespace rt::test {
namespace {

using platform::EventType;

using OpenWindowTest = DisplayTest;

const platform::HeadlessWindow& WindowOf(const TestMachine& machine, ObjectNumber number) {
  return machine.WindowAt(static_cast<platform::WindowId>(WindowHandle(number)));
}

TEST_F(OpenWindowTest, GameWindowIsCentredTitledAndExactlyTheClientSize) {
  const ObjectNumber handle = OpenWindow(0, 0, 0, 640, 400, "Pellaris By Varro / Quillon", 0xC80001);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(handle, WindowHandle(0));
  const platform::HeadlessWindow& window = WindowOf(machine, 0);
  EXPECT_EQ(window.title, "Pellaris By Varro / Quillon");
  EXPECT_TRUE(window.decorated);
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.outer.x, (1024 - window.outer.width) / 2);
  EXPECT_EQ(window.outer.y, (768 - window.outer.height) / 2);
  EXPECT_EQ(window.client.width, 640);
  EXPECT_EQ(window.client.height, 400);
}

TEST_F(OpenWindowTest, NoStyleBitsGetATitleBar) {
  OpenWindow(1, 10, 20, 100, 50, "plain", 0);
  EXPECT_TRUE(WindowOf(machine, 1).decorated);
  EXPECT_EQ(WindowOf(machine, 1).outer.x, 10);
  EXPECT_EQ(WindowOf(machine, 1).outer.y, 20);
}

TEST_F(OpenWindowTest, HiddenBitAloneMakesAHiddenTitledWindow) {
  OpenWindow(2, 0, 0, 100, 50, "hidden", kWindowHidden);
  EXPECT_FALSE(WindowOf(machine, 2).visible);
  EXPECT_TRUE(WindowOf(machine, 2).decorated);
}

TEST_F(OpenWindowTest, StyleWithoutTitleBarIsUndecorated) {
  OpenWindow(3, 0, 0, 100, 50, "popup", 0x80000000u);
  EXPECT_FALSE(WindowOf(machine, 3).decorated);
}

TEST_F(OpenWindowTest, WindowLargerThanTheScreenStartsAtTheTopLeft) {
  OpenWindow(0, 50, 50, 2000, 400, "wide", kWindowDefaultFlags | kWindowCentreOnScreen);
  EXPECT_EQ(WindowOf(machine, 0).outer.x, 0);
  EXPECT_EQ(WindowOf(machine, 0).outer.y, 0);
}

TEST_F(OpenWindowTest, CentredOnTheActiveWindow) {
  OpenWindow(0, 100, 100, 400, 300, "parent", kWindowDefaultFlags);
  machine.GiveFocusTo(static_cast<platform::WindowId>(WindowHandle(0)));
  OpenWindow(1, 0, 0, 200, 100, "child", kWindowDefaultFlags | kWindowCentreOnParent);
  const platform::HeadlessWindow& parent = WindowOf(machine, 0);
  const platform::HeadlessWindow& child = WindowOf(machine, 1);
  EXPECT_EQ(child.outer.x + child.outer.width / 2, parent.outer.x + parent.outer.width / 2);
  EXPECT_EQ(child.outer.y + child.outer.height / 2, parent.outer.y + parent.outer.height / 2);
}

TEST_F(OpenWindowTest, CentringOnNoActiveWindowKeepsThePosition) {
  OpenWindow(1, 30, 40, 200, 100, "child", kWindowDefaultFlags | kWindowCentreOnParent);
  EXPECT_EQ(WindowOf(machine, 1).outer.x, 30);
  EXPECT_EQ(WindowOf(machine, 1).outer.y, 40);
}

TEST_F(OpenWindowTest, DefaultPositionIsChosenByTheSystem) {
  OpenWindow(1, kDefaultWindowPosition, 5, 200, 100, "anywhere");
  EXPECT_GE(WindowOf(machine, 1).outer.x, 0);
  EXPECT_GE(WindowOf(machine, 1).outer.y, 0);
}

TEST_F(OpenWindowTest, NullTitleIsEmpty) {
  OpenWindow(1, 0, 0, 200, 100, nullptr);
  EXPECT_EQ(WindowOf(machine, 1).title, "");
}

TEST_F(OpenWindowTest, ReopeningANumberClosesTheOldWindowFirst) {
  const ObjectNumber first = OpenWindow(0, 0, 0, 100, 100, "one");
  const ObjectNumber second = OpenWindow(0, 0, 0, 100, 100, "two");
  ASSERT_NE(first, second);
  EXPECT_EQ(machine.Window(static_cast<platform::WindowId>(first)), nullptr);
  EXPECT_EQ(WindowHandle(0), second);
  EXPECT_EQ(machine.LiveWindows(), 1);
}

TEST_F(OpenWindowTest, AutomaticNumbersCannotBeMistakenForFixedOnes) {
  const ObjectNumber number = OpenWindow(kAutomaticObject, 0, 0, 100, 100, "auto");
  EXPECT_GE(number, kFirstAutomaticNumber);
  EXPECT_NE(WindowHandle(number), 0);
  CloseWindow(number);
  EXPECT_EQ(WindowHandle(number), 0);
  EXPECT_EQ(machine.LiveWindows(), 0);
}

TEST_F(OpenWindowTest, FailedCreationFreesTheNumber) {
  machine.SetWindowsFail(true);
  EXPECT_EQ(OpenWindow(0, 0, 0, 640, 400, "x"), 0);
  EXPECT_EQ(WindowHandle(0), 0);
}

TEST_F(OpenWindowTest, CloseWindowOfNothingDoesNothing) {
  OpenWindow(0, 0, 0, 100, 100, "kept");
  CloseWindow(5);
  CloseWindow(kFirstAutomaticNumber + 3);
  EXPECT_EQ(machine.LiveWindows(), 1);
  EXPECT_EQ(WindowHandle(-2), 0);
}

TEST_F(OpenWindowTest, LibraryEndClosesEveryWindow) {
  OpenWindow(0, 0, 0, 100, 100, "a");
  OpenWindow(20, 0, 0, 100, 100, "b");
  OpenWindow(kAutomaticObject, 0, 0, 100, 100, "c");
  EndWindowLibrary();
  EXPECT_EQ(machine.LiveWindows(), 0);
  EXPECT_EQ(machine.WindowsCreated(), 3);
  EXPECT_EQ(OpenWindow(0, 0, 0, 100, 100, "after the end"), 0);
}

TEST_F(OpenWindowTest, ProgramIconGoesOnEveryWindow) {
  OpenWindow(0, 0, 0, 100, 100, "before");
  const std::uint32_t icon[4] = {1, 2, 3, 0};
  SetProgramIcon(icon, 2, 2);
  OpenWindow(1, 0, 0, 100, 100, "after");
  EXPECT_EQ(WindowOf(machine, 0).iconWidth, 2);
  EXPECT_EQ(WindowOf(machine, 1).iconWidth, 2);
}

using WindowEventTest = DisplayTest;

platform::WindowId Id(ObjectNumber handle) {
  return static_cast<platform::WindowId>(handle);
}

TEST_F(WindowEventTest, NothingPendingIsZero) {
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, CloseRequestIsReportedAndNeverCloses) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game", 0xC80001));
  machine.Push(EventType::CloseRequest, window);
  const int carrier = PollWindowEvent();
  EXPECT_NE(carrier, kEventNone);
  EXPECT_NE(carrier, kEventCloseRequest);
  EXPECT_EQ(PollWindowEvent(), kEventCloseRequest);
  EXPECT_EQ(PollWindowEvent(), kEventNone);
  EXPECT_EQ((machine.Window(window) != nullptr), 1u);
  EXPECT_EQ(WindowHandle(0), window);
}

TEST_F(WindowEventTest, WindowEventsGetTheirCodes) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  const std::pair<EventType, int> cases[] = {{EventType::Moved, kEventMoved},
                                             {EventType::Resized, kEventResized},
                                             {EventType::Exposed, kEventRepaint},
                                             {EventType::FocusGained, kEventActivated}};
  for (const auto& [type, code] : cases) {
    machine.Push(type, window);
    PollWindowEvent();
    EXPECT_EQ(PollWindowEvent(), code);
  }
}

TEST_F(WindowEventTest, MinimisedWindowReportsNoSize) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  platform::Event event;
  event.type = EventType::Resized;
  event.window = window;
  machine.Push(event);
  PollWindowEvent();
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, LosingTheFocusIsNoWindowEvent) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  machine.Push(EventType::FocusLost, window);
  PollWindowEvent();
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, OtherEventsAreRawMessageNumbers) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  const std::pair<EventType, int> keys[] = {{EventType::KeyDown, 256},
                                            {EventType::KeyUp, 257},
                                            {EventType::MouseMotion, 512},
                                            {EventType::MouseWheel, 522}};
  for (const auto& [type, raw] : keys) {
    machine.Push(type, window, 30);
    EXPECT_EQ(PollWindowEvent(), raw);
  }
  const std::pair<int, int> buttons[] = {{1, 513}, {2, 516}, {3, 519}};
  for (const auto& [button, down] : buttons) {
    platform::Event event;
    event.window = window;
    event.button = button;
    event.type = EventType::MouseButtonDown;
    machine.Push(event);
    event.type = EventType::MouseButtonUp;
    machine.Push(event);
    EXPECT_EQ(PollWindowEvent(), down);
    EXPECT_EQ(PollWindowEvent(), down + 1);
  }
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, OneMessageIsTakenPerCall) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  machine.Push(EventType::KeyDown, window, 30);
  machine.Push(EventType::KeyUp, window, 30);
  EXPECT_EQ(PollWindowEvent(), 256);
  EXPECT_EQ(machine.Pending(), 1u);
}

TEST_F(WindowEventTest, MouseMotionsInARowAreOneMessage) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  for (int i = 0; i < 3; ++i) machine.Push(EventType::MouseMotion, window);
  machine.Push(EventType::KeyDown, window, 30);
  machine.Push(EventType::MouseMotion, window);
  EXPECT_EQ(PollWindowEvent(), 512);
  EXPECT_EQ(PollWindowEvent(), 256);
  EXPECT_EQ(PollWindowEvent(), 512);
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, EventHeldBackByMergingStillReachesTheQueue) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  machine.Push(EventType::MouseMotion, window);
  machine.Push(EventType::CloseRequest, window);
  EXPECT_EQ(PollWindowEvent(), 512);
  PollWindowEvent();
  EXPECT_EQ(PollWindowEvent(), kEventCloseRequest);
}

TEST_F(WindowEventTest, QueuedEventsComeBeforeNewMessages) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 640, 400, "game"));
  machine.Push(EventType::Moved, window);
  machine.Push(EventType::KeyDown, window, 30);
  PollWindowEvent();
  EXPECT_EQ(PollWindowEvent(), kEventMoved);
  EXPECT_EQ(PollWindowEvent(), 256);
}

TEST_F(WindowEventTest, ConsecutiveDuplicatesCollapse) {
  // A full-screen flip dispatches everything pending at once; the window's events pile up meanwhile.
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 100, 100, "tool", kWindowHidden));
  OpenFullScreen();
  machine.Push(EventType::Moved, window);
  machine.Push(EventType::Moved, window);
  machine.Push(EventType::Exposed, window);
  machine.Push(EventType::Moved, window);
  FlipBuffers();
  EXPECT_EQ(PollWindowEvent(), kEventMoved);
  EXPECT_EQ(PollWindowEvent(), kEventRepaint);
  EXPECT_EQ(PollWindowEvent(), kEventMoved);
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, SameCodeOfDifferentWindowsIsKept) {
  const platform::WindowId first = Id(OpenWindow(0, 0, 0, 100, 100, "a", kWindowHidden));
  const platform::WindowId second = Id(OpenWindow(1, 0, 0, 100, 100, "b", kWindowHidden));
  OpenFullScreen();
  machine.Push(EventType::Moved, first);
  machine.Push(EventType::Moved, second);
  FlipBuffers();
  EXPECT_EQ(PollWindowEvent(), kEventMoved);
  EXPECT_EQ(PollWindowEvent(), kEventMoved);
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, EventsOfForeignWindowsAreNotQueued) {
  OpenWindow(0, 0, 0, 100, 100, "a");
  machine.Push(EventType::CloseRequest, 4242);
  PollWindowEvent();
  EXPECT_EQ(PollWindowEvent(), kEventNone);
}

TEST_F(WindowEventTest, WaitReturnsTheNextEvent) {
  const platform::WindowId window = Id(OpenWindow(0, 0, 0, 100, 100, "a"));
  machine.Push(EventType::KeyUp, window, 1);
  EXPECT_EQ(WaitWindowEvent(), 257);
}

}  // namespace
}  // namespace rt::test

#include "runtime/platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace rt::platform {
namespace {

std::vector<Event> DrainEvents(HeadlessPlatform& machine) {
  std::vector<Event> events;
  Event event;
  while (machine.Input().NextEvent(event, 0)) events.push_back(event);
  return events;
}

std::uint8_t KeyByte(HeadlessPlatform& machine, int code) {
  std::uint8_t keys[256];
  machine.Input().ReadKeyState(keys);
  return keys[code];
}

WindowId OpenTestWindow(HeadlessPlatform& machine, int width = 640, int height = 400) {
  WindowDesc desc;
  desc.title = "test";
  desc.clientWidth = width;
  desc.clientHeight = height;
  desc.centred = true;
  return machine.Video().CreateWindow(desc);
}

// ---- Virtual clock

TEST(HeadlessClock, SixtyFramesMakeExactlyOneSecond) {
  HeadlessPlatform machine;
  for (int i = 0; i < 59; ++i) machine.Clock().FrameBoundary();
  EXPECT_LT(machine.Clock().Counter(), machine.Clock().CounterFrequency());
  machine.Clock().FrameBoundary();
  EXPECT_EQ(machine.Clock().Counter(), machine.Clock().CounterFrequency());
  EXPECT_EQ(machine.FrameCount(), 60);
}

TEST(HeadlessClock, FrameStepsDoNotDriftOverLongRuns) {
  HeadlessPlatform machine;
  machine.SetFramesPerSecond(75);
  for (int i = 0; i < 75 * 100; ++i) machine.Clock().FrameBoundary();
  EXPECT_EQ(machine.ElapsedNanoseconds(), 100 * HeadlessPlatform::kCounterFrequency);
}

TEST(HeadlessClock, SleepMovesCounterTickAndWallClock) {
  HeadlessPlatform machine;
  machine.SetStartTick(5000);
  machine.SetStartTime({2024, 6, 1, 12, 0, 0});
  machine.Clock().SleepMs(2500);
  EXPECT_EQ(machine.Clock().TickMs(), 7500u);
  EXPECT_EQ(machine.Clock().Counter(), 2'500'000'000u);
  EXPECT_EQ(machine.SleptMilliseconds(), 2500u);
  const LocalDateTime now = machine.Clock().LocalTime();
  EXPECT_EQ(now.hour, 12);
  EXPECT_EQ(now.second, 2);
}

TEST(HeadlessClock, StillFramesLeaveTheCounterStill) {
  HeadlessPlatform machine;
  machine.SetFrameStepNanoseconds(0);
  machine.Clock().FrameBoundary();
  EXPECT_EQ(machine.Clock().Counter(), 0u);
  machine.Clock().SleepMs(-5);
  EXPECT_EQ(machine.Clock().Counter(), 0u);
}

TEST(HeadlessClock, ClockJumpsMoveTheWallClockOnly) {
  HeadlessPlatform machine;
  machine.SetStartTime({2024, 1, 1, 0, 0, 30});
  machine.Apply(Action::JumpClock(-31));
  const LocalDateTime back = machine.Clock().LocalTime();
  EXPECT_EQ(back.year, 2023);
  EXPECT_EQ(back.month, 12);
  EXPECT_EQ(back.day, 31);
  EXPECT_EQ(back.hour, 23);
  EXPECT_EQ(back.minute, 59);
  EXPECT_EQ(back.second, 59);
  EXPECT_EQ(machine.Clock().Counter(), 0u);
}

TEST(HeadlessClock, WallClockCrossesLeapDay) {
  HeadlessPlatform machine;
  machine.SetStartTime({2024, 2, 28, 23, 0, 0});
  machine.Apply(Action::JumpClock(3600));
  const LocalDateTime leap = machine.Clock().LocalTime();
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  machine.Apply(Action::JumpClock(86400));
  const LocalDateTime march = machine.Clock().LocalTime();
  EXPECT_EQ(march.month, 3);
  EXPECT_EQ(march.day, 1);
  EXPECT_EQ(march.hour, 0);
}

// ---- Script

TEST(HeadlessScript, ActionsWaitForTheirFrame) {
  HeadlessPlatform machine;
  machine.At(3, Action::KeyDown(57));
  machine.At(5, Action::KeyUp(57));
  machine.Clock().FrameBoundary();
  machine.Clock().FrameBoundary();
  EXPECT_EQ(KeyByte(machine, 57), 0);
  machine.Clock().FrameBoundary();
  EXPECT_EQ(KeyByte(machine, 57), 0x80);
  machine.Clock().FrameBoundary();
  EXPECT_EQ(KeyByte(machine, 57), 0x80);
  machine.Clock().FrameBoundary();
  EXPECT_EQ(KeyByte(machine, 57), 0);
}

TEST(HeadlessScript, ActionsForAFramePassedApplyAtOnce) {
  HeadlessPlatform machine;
  machine.Clock().FrameBoundary();
  machine.At(1, Action::KeyDown(1));
  EXPECT_EQ(KeyByte(machine, 1), 0x80);
}

TEST(HeadlessScript, FrameCallbackSeesThatFramesActions) {
  HeadlessPlatform machine;
  machine.At(2, Action::KeyDown(28));
  std::vector<int> heldAt;
  machine.SetFrameCallback([&](int frame) {
    if (machine.KeyHeld(28)) heldAt.push_back(frame);
  });
  for (int i = 0; i < 3; ++i) machine.Clock().FrameBoundary();
  EXPECT_EQ(heldAt, (std::vector<int>{2, 3}));
}

TEST(HeadlessScript, KeyEventsGoToTheFocusedWindowInOrder) {
  HeadlessPlatform machine;
  const WindowId window = OpenTestWindow(machine);
  DrainEvents(machine);
  machine.Apply(Action::KeyDown(29));
  machine.Apply(Action::KeyDown(157));
  machine.Apply(Action::KeyUp(29));
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].type, EventType::KeyDown);
  EXPECT_EQ(events[0].scanCode, 29);
  EXPECT_EQ(events[1].scanCode, 157);
  EXPECT_EQ(events[2].type, EventType::KeyUp);
  EXPECT_EQ(events[2].window, window);
  EXPECT_EQ(KeyByte(machine, 157), 0x80);
  EXPECT_EQ(KeyByte(machine, 29), 0);
}

TEST(HeadlessScript, RepeatedKeyDownIsNeitherReportedNorCounted) {
  HeadlessPlatform machine;
  machine.Apply(Action::KeyDown(57));
  machine.Apply(Action::KeyDown(57));
  EXPECT_EQ(DrainEvents(machine).size(), 1u);
  machine.Apply(Action::KeyUp(57));
  EXPECT_EQ(KeyByte(machine, 57), 0);
}

TEST(HeadlessScript, KeysOutsideTheTableAreIgnored) {
  HeadlessPlatform machine;
  machine.Apply(Action::KeyDown(256));
  machine.Apply(Action::KeyDown(-1));
  EXPECT_TRUE(DrainEvents(machine).empty());
}

TEST(HeadlessScript, CloseRequestConcernsTheFocusedWindow) {
  HeadlessPlatform machine;
  const WindowId first = OpenTestWindow(machine);
  OpenTestWindow(machine);
  machine.Apply(Action::LoseFocus());
  machine.Video().ShowWindow(first, false);
  machine.Video().ShowWindow(first, true);
  DrainEvents(machine);
  machine.Apply(Action::Close());
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventType::CloseRequest);
  EXPECT_EQ(events[0].window, first);
}

// ---- Windows and focus

TEST(HeadlessWindows, CentredWindowHasTheExactClientSize) {
  HeadlessPlatform machine;
  machine.SetDesktop(1024, 768, 32);
  const WindowId id = OpenTestWindow(machine);
  Rect outer, client;
  ASSERT_TRUE(machine.Video().WindowGeometry(id, outer, client));
  EXPECT_EQ(client.width, 640);
  EXPECT_EQ(client.height, 400);
  EXPECT_EQ(outer.width, 648);
  EXPECT_EQ(outer.height, 428);
  EXPECT_EQ(outer.x, (1024 - 648) / 2);
  EXPECT_EQ(outer.y, (768 - 428) / 2);
  EXPECT_EQ(client.x, outer.x + 4);
  EXPECT_EQ(client.y, outer.y + 24);
}

TEST(HeadlessWindows, NewVisibleWindowTakesTheFocus) {
  HeadlessPlatform machine;
  const WindowId first = OpenTestWindow(machine);
  const WindowId second = OpenTestWindow(machine);
  EXPECT_EQ(machine.Video().FocusedWindow(), second);
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[2].type, EventType::FocusLost);
  EXPECT_EQ(events[2].window, first);
  EXPECT_EQ(events[3].type, EventType::FocusGained);
  EXPECT_EQ(events[3].window, second);
}

TEST(HeadlessWindows, HiddenWindowDoesNotTakeTheFocus) {
  HeadlessPlatform machine;
  WindowDesc desc;
  desc.clientWidth = desc.clientHeight = 10;
  desc.visible = false;
  EXPECT_NE(machine.Video().CreateWindow(desc), 0u);
  EXPECT_EQ(machine.Video().FocusedWindow(), 0u);
  EXPECT_TRUE(DrainEvents(machine).empty());
}

TEST(HeadlessWindows, FocusLossAndReturnAreReported) {
  HeadlessPlatform machine;
  const WindowId id = machine.Video().CreateFullScreenWindow("full");
  DrainEvents(machine);
  machine.Apply(Action::LoseFocus());
  EXPECT_EQ(machine.Video().FocusedWindow(), 0u);
  machine.Apply(Action::GainFocus());
  EXPECT_EQ(machine.Video().FocusedWindow(), id);
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, EventType::FocusLost);
  EXPECT_EQ(events[1].type, EventType::FocusGained);
  EXPECT_EQ(events[1].window, id);
}

TEST(HeadlessWindows, FullScreenWindowCoversTheDesktop) {
  HeadlessPlatform machine;
  const WindowId id = machine.Video().CreateFullScreenWindow("full");
  Rect outer, client;
  ASSERT_TRUE(machine.Video().WindowGeometry(id, outer, client));
  EXPECT_EQ(client.width, 1920);
  EXPECT_EQ(client.height, 1080);
  EXPECT_TRUE(machine.Window(id)->fullScreen);
}

TEST(HeadlessWindows, MovingKeepsTheClientInsideTheFrame) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine);
  DrainEvents(machine);
  machine.Apply(Action::MoveWindowTo(10, 20));
  Rect outer, client;
  ASSERT_TRUE(machine.Video().WindowGeometry(id, outer, client));
  EXPECT_EQ(client.x, 14);
  EXPECT_EQ(client.y, 44);
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventType::Moved);
}

TEST(HeadlessWindows, NoDisplayMeansNoDesktopAndNoWindows) {
  HeadlessPlatform machine;
  machine.SetDisplayAvailable(false);
  int width = 0, height = 0, depth = 0;
  EXPECT_FALSE(machine.Video().DesktopMode(width, height, depth));
  EXPECT_EQ(OpenTestWindow(machine), 0u);
  EXPECT_EQ(machine.Video().CreateFullScreenWindow("x"), 0u);
}

TEST(HeadlessWindows, DestroyedWindowLosesFocusAndGeometry) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine);
  machine.Video().DestroyWindow(id);
  Rect outer, client;
  EXPECT_FALSE(machine.Video().WindowGeometry(id, outer, client));
  EXPECT_EQ(machine.Video().FocusedWindow(), 0u);
  EXPECT_TRUE(machine.Windows().empty());
}

// ---- Game controllers

PadState ReadPads(HeadlessPlatform& machine) {
  PadState state;
  machine.Input().ReadPadState(state);
  return state;
}

TEST(HeadlessPads, ButtonsOnAnyPadAreHeldAndEachAxisTakesTheValueFarthestFromRest) {
  HeadlessPlatform machine;
  machine.Apply(Action::PadDown(PadButton::A, 0));
  machine.Apply(Action::PadDown(PadButton::B, 1));
  machine.Apply(Action::PadDown(PadButton::DpadUp, 1));
  machine.Apply(Action::PadUp(PadButton::DpadUp, 0));  // not held there: changes nothing on pad 1
  struct Case {
    PadAxis axis;
    int first, second, combined;
  };
  const Case cases[] = {
      {PadAxis::LeftX, -20000, 30000, 30000},
      {PadAxis::LeftY, kPadAxisMin, kPadAxisMax, kPadAxisMin},
      {PadAxis::RightX, -5, 5, -5},  // a tie: the pad plugged in first
      {PadAxis::RightTrigger, 0, 1000, 1000},
  };
  for (const Case& c : cases) {
    machine.Apply(Action::MovePadAxis(c.axis, c.first, 0));
    machine.Apply(Action::MovePadAxis(c.axis, c.second, 1));
  }
  const PadState state = ReadPads(machine);
  EXPECT_EQ(state.connected, 2);
  EXPECT_TRUE(state.Held(PadButton::A));
  EXPECT_TRUE(state.Held(PadButton::B));
  EXPECT_TRUE(state.Held(PadButton::DpadUp));
  EXPECT_FALSE(state.Held(PadButton::X));
  for (const Case& c : cases) EXPECT_EQ(state.Axis(c.axis), c.combined) << PadAxisName(c.axis);
  EXPECT_EQ(state.Axis(PadAxis::LeftTrigger), 0);
}

TEST(HeadlessPads, UnpluggingAPadReleasesWhatItHeldAndNothingElse) {
  HeadlessPlatform machine;
  machine.Apply(Action::PadDown(PadButton::A, 0));
  machine.Apply(Action::MovePadAxis(PadAxis::LeftY, -30000, 0));
  machine.Apply(Action::PadDown(PadButton::X, 1));
  const std::vector<Event> plugged = DrainEvents(machine);
  ASSERT_EQ(plugged.size(), 5u);  // added, down, motion; added, down
  EXPECT_EQ(plugged[0].type, EventType::PadAdded);
  EXPECT_EQ(plugged[1].type, EventType::PadButtonDown);
  EXPECT_EQ(plugged[1].pad, plugged[0].pad);
  EXPECT_EQ(plugged[2].type, EventType::PadAxisMotion);
  EXPECT_EQ(plugged[2].axisValue, -30000);
  EXPECT_EQ(plugged[3].type, EventType::PadAdded);
  EXPECT_NE(plugged[3].pad, plugged[0].pad);

  machine.Apply(Action::DisconnectPad(0));
  machine.Apply(Action::DisconnectPad(0));  // gone already
  const std::vector<Event> unplugged = DrainEvents(machine);
  ASSERT_EQ(unplugged.size(), 1u);
  EXPECT_EQ(unplugged[0].type, EventType::PadRemoved);
  EXPECT_EQ(unplugged[0].pad, plugged[0].pad);
  PadState state = ReadPads(machine);
  EXPECT_EQ(state.connected, 1);
  EXPECT_FALSE(state.Held(PadButton::A));
  EXPECT_EQ(state.Axis(PadAxis::LeftY), 0);
  EXPECT_TRUE(state.Held(PadButton::X));

  // Plugged in again, it is a new pad with nothing held.
  machine.Apply(Action::ConnectPad(0));
  machine.Apply(Action::ConnectPad(0));
  const std::vector<Event> again = DrainEvents(machine);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_NE(again[0].pad, plugged[0].pad);
  EXPECT_NE(again[0].pad, plugged[3].pad);
  state = ReadPads(machine);
  EXPECT_EQ(state.connected, 2);
  EXPECT_FALSE(state.Held(PadButton::A));
}

TEST(HeadlessPads, OnlyChangesAreReportedAndAxisMotionMergesWithoutPassingOtherEvents) {
  HeadlessPlatform machine;
  machine.Apply(Action::ConnectPad());
  DrainEvents(machine);
  machine.Apply(Action::PadDown(PadButton::Start));
  machine.Apply(Action::PadDown(PadButton::Start));
  machine.Apply(Action::PadUp(PadButton::Back));
  machine.Apply(Action::MovePadAxis(PadAxis::LeftX, 100));
  machine.Apply(Action::MovePadAxis(PadAxis::LeftY, 200));
  machine.Apply(Action::MovePadAxis(PadAxis::LeftX, 300));
  machine.Apply(Action::PadUp(PadButton::Start));
  machine.Apply(Action::MovePadAxis(PadAxis::LeftX, 400000));  // beyond the range: clamped
  machine.Apply(Action::MovePadAxis(PadAxis::LeftY, 200));     // where it is already
  machine.Apply(Action{Action::Kind::PadButtonDown, kPadButtonCount});
  machine.Apply(Action{Action::Kind::PadAxis, -1, 5});
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].type, EventType::PadButtonDown);
  EXPECT_EQ(events[1].padAxis, PadAxis::LeftX);
  EXPECT_EQ(events[1].axisValue, 300);
  EXPECT_EQ(events[2].padAxis, PadAxis::LeftY);
  EXPECT_EQ(events[2].axisValue, 200);
  EXPECT_EQ(events[3].type, EventType::PadButtonUp);
  EXPECT_EQ(events[4].axisValue, kPadAxisMax);
  EXPECT_EQ(ReadPads(machine).Axis(PadAxis::LeftX), kPadAxisMax);
}

TEST(HeadlessPads, EventsOfAPadNotConnectedAreDropped) {
  EventQueue queue;
  Event event;
  event.pad = 7;
  event.type = EventType::PadButtonDown;
  queue.Push(event);
  event.type = EventType::PadRemoved;
  queue.Push(event);
  EXPECT_TRUE(queue.Empty());
  PadState state;
  queue.ReadPadState(state);
  EXPECT_EQ(state.connected, 0);
  EXPECT_FALSE(state.Held(PadButton::A));
}

// ---- Mouse records and motion

TEST(HeadlessMouse, ConsecutiveMovementMergesButButtonsStaySeparate) {
  HeadlessPlatform machine;
  machine.Apply(Action::Motion(3, -2));
  machine.Apply(Action::Wheel(1));
  machine.Apply(Action::Motion(4, 1));
  machine.Apply(Action::ButtonDown(1));
  machine.Apply(Action::Motion(-1, 0));
  machine.Apply(Action::ButtonUp(1));
  MouseEvent records[8];
  ASSERT_EQ(machine.Input().TakeMouseEvents(records, 8), 4);
  EXPECT_EQ(records[0].type, MouseEvent::Type::Move);
  EXPECT_EQ(records[0].dx, 7);
  EXPECT_EQ(records[0].dy, -1);
  EXPECT_EQ(records[0].wheel, 1);
  EXPECT_EQ(records[1].type, MouseEvent::Type::ButtonDown);
  EXPECT_EQ(records[1].button, 1);
  EXPECT_EQ(records[2].dx, -1);
  EXPECT_EQ(records[3].type, MouseEvent::Type::ButtonUp);
  EXPECT_EQ(machine.Input().TakeMouseEvents(records, 8), 0);
}

TEST(HeadlessMouse, RecordsBeyondTheLimitWaitForTheNextTake) {
  HeadlessPlatform machine;
  for (int i = 0; i < 3; ++i) machine.Apply(Action::ButtonDown(2));
  MouseEvent records[2];
  EXPECT_EQ(machine.Input().TakeMouseEvents(records, 2), 2);
  EXPECT_EQ(machine.Input().TakeMouseEvents(records, 2), 1);
}

TEST(HeadlessMouse, ManyButtonChangesAreBounded) {
  HeadlessPlatform machine;
  for (int i = 0; i < 1000; ++i) machine.Apply(Action::ButtonDown(i % 2 + 1));
  std::vector<MouseEvent> records(1000);
  EXPECT_EQ(machine.Input().TakeMouseEvents(records.data(), 1000),
            static_cast<int>(EventQueue::kMaxMouseRecords));
}

TEST(HeadlessMouse, MotionEventsMergeWhileWaitingForTheProgram) {
  HeadlessPlatform machine;
  for (int i = 0; i < 100; ++i) machine.Apply(Action::Motion(1, 2));
  const std::vector<Event> events = DrainEvents(machine);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].dx, 100);
  EXPECT_EQ(events[0].dy, 200);
}

TEST(HeadlessMouse, CursorChangesAreRecorded) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine);
  const Rect area{100, 100, 640, 400};
  machine.Input().ConfineCursor(id, &area);
  machine.Input().WarpCursor(id, 30, 40);
  machine.Input().ShowCursor(false);
  machine.Input().SetRelativeMouse(true);
  EXPECT_TRUE(machine.Cursor().confined);
  EXPECT_EQ(machine.Cursor().confineArea.x, 100);
  EXPECT_EQ(machine.Cursor().warps, 1);
  EXPECT_EQ(machine.Cursor().warpX, 30);
  EXPECT_FALSE(machine.Cursor().visible);
  EXPECT_TRUE(machine.Cursor().relative);
  machine.Input().ConfineCursor(id, nullptr);
  EXPECT_FALSE(machine.Cursor().confined);
  EXPECT_EQ(machine.Cursor().confineCalls, 2);
}

// ---- Presented frames

TEST(HeadlessFrames, KeepsOnlyTheLastFramesButCountsAll) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine, 4, 2);
  machine.SetKeptFrames(2);
  std::vector<std::uint32_t> pixels(8);
  int seen = 0;
  machine.SetPresentCallback([&](const PresentedFrame&) { ++seen; });
  for (std::uint32_t i = 0; i < 5; ++i) {
    pixels[0] = i;
    machine.Video().Present(id, pixels.data(), 4, 2, 16, Rect{0, 0, 4, 2});
  }
  EXPECT_EQ(machine.PresentCount(), 5);
  EXPECT_EQ(seen, 5);
  ASSERT_EQ(machine.KeptFrames().size(), 2u);
  EXPECT_EQ(machine.KeptFrames()[0].pixels[0], 3u);
  EXPECT_EQ(machine.LastFrame()->pixels[0], 4u);
}

TEST(HeadlessFrames, CopiesRowsThroughThePitchAndHashesThem) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine, 2, 2);
  machine.SetKeptFrames(1);
  // Rows of two pixels in a pitch of three; the third pixel of each row is padding.
  const std::uint32_t padded[6] = {1, 2, 0xDEAD, 3, 4, 0xBEEF};
  const std::uint32_t packed[4] = {1, 2, 3, 4};
  machine.Video().Present(id, padded, 2, 2, 12, Rect{});
  const PresentedFrame* frame = machine.LastFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->pixels, (std::vector<std::uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(frame->hash, HashPixels(packed, 2, 2, 8));
  EXPECT_NE(frame->hash, HashPixels(padded, 2, 2, 8));
}

TEST(HeadlessFrames, KeepingNoFramesStillHashesAndCallsBack) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine, 2, 1);
  machine.SetKeptFrames(0);
  const std::uint32_t pixels[2] = {5, 6};
  std::uint64_t hash = 0;
  std::vector<std::uint32_t> seen;
  machine.SetPresentCallback([&](const PresentedFrame& frame) {
    hash = frame.hash;
    seen = frame.pixels;
  });
  machine.Video().Present(id, pixels, 2, 1, 8, Rect{});
  EXPECT_TRUE(machine.KeptFrames().empty());
  EXPECT_EQ(machine.LastFrame(), nullptr);
  EXPECT_EQ(hash, HashPixels(pixels, 2, 1, 8));
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{5, 6}));
}

TEST(HeadlessFrames, PresentRemembersTheFrameNumber) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine, 1, 1);
  machine.SetKeptFrames(1);
  const std::uint32_t pixel = 7;
  machine.Clock().FrameBoundary();
  machine.Clock().FrameBoundary();
  machine.Video().Present(id, &pixel, 1, 1, 4, Rect{});
  EXPECT_EQ(machine.LastFrame()->frame, 2);
  EXPECT_EQ(machine.Window(id)->presents, 1);
}

// ---- Message boxes

TEST(HeadlessMessages, DefaultAnswersAreOkAndNo) {
  HeadlessPlatform machine;
  EXPECT_EQ(machine.Dialogs().ShowMessageBox("t", "x", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(machine.Dialogs().ShowMessageBox("t", "x", MessageButtons::YesNo), MessageAnswer::No);
  machine.SetDefaultYesNoAnswer(MessageAnswer::Yes);
  EXPECT_EQ(machine.Dialogs().ShowMessageBox("t", "x", MessageButtons::YesNo), MessageAnswer::Yes);
}

TEST(HeadlessMessages, QueuedAnswersComeFirstAndEveryBoxIsRecorded) {
  HeadlessPlatform machine;
  const WindowId id = OpenTestWindow(machine);
  machine.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(machine.Dialogs().ShowMessageBox("Question", "Full?", MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(machine.Dialogs().ShowMessageBox("Error", "Failed", MessageButtons::Ok), MessageAnswer::Ok);
  ASSERT_EQ(machine.Messages().size(), 2u);
  EXPECT_EQ(machine.Messages()[0].title, "Question");
  EXPECT_EQ(machine.Messages()[0].text, "Full?");
  EXPECT_EQ(machine.Messages()[0].owner, id);
  EXPECT_EQ(machine.Messages()[1].answer, MessageAnswer::Ok);
}

// ---- Audio

struct Ramp {
  int calls = 0;
  int next = 0;
  static void Fill(void* user, std::uint8_t* out, int frames) {
    auto* ramp = static_cast<Ramp*>(user);
    ++ramp->calls;
    auto* samples = reinterpret_cast<std::int16_t*>(out);
    for (int i = 0; i < frames * 2; ++i) samples[i] = static_cast<std::int16_t>(ramp->next++);
  }
};

TEST(HeadlessAudio, RenderRunsTheCallbackAndReturnsItsSamples) {
  HeadlessPlatform machine;
  Ramp ramp;
  AudioFormat obtained;
  ASSERT_TRUE(machine.Audio().OpenAudio(&Ramp::Fill, &ramp, obtained));
  EXPECT_EQ(obtained.rate, 44100);
  EXPECT_EQ(obtained.channels, 2);
  EXPECT_EQ(obtained.sample, SampleFormat::S16);
  const std::vector<std::int16_t> first = machine.RenderAudio(3);
  const std::vector<std::int16_t> second = machine.RenderAudio(2);
  EXPECT_EQ(first, (std::vector<std::int16_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(second, (std::vector<std::int16_t>{6, 7, 8, 9}));
  EXPECT_TRUE(machine.RenderAudioFloat(2).empty());
  machine.Audio().CloseAudio();
  EXPECT_TRUE(machine.RenderAudio(2).empty());
  EXPECT_EQ(ramp.calls, 2);
}

TEST(HeadlessAudio, DeviceCanBeMissingOrOfAnotherFormat) {
  HeadlessPlatform machine;
  Ramp ramp;
  AudioFormat obtained;
  machine.SetAudioAvailable(false);
  EXPECT_FALSE(machine.Audio().OpenAudio(&Ramp::Fill, &ramp, obtained));
  machine.SetAudioAvailable(true);
  machine.SetAudioFormat({48000, 2, SampleFormat::F32});
  ASSERT_TRUE(machine.Audio().OpenAudio(&Ramp::Fill, &ramp, obtained));
  EXPECT_EQ(obtained.rate, 48000);
  EXPECT_EQ(obtained.sample, SampleFormat::F32);
  EXPECT_FALSE(machine.Audio().OpenAudio(&Ramp::Fill, &ramp, obtained));  // one stream at a time
}

TEST(HeadlessAudio, LocksNest) {
  HeadlessPlatform machine;
  machine.Audio().LockAudio();
  machine.Audio().LockAudio();
  machine.Audio().UnlockAudio();
  EXPECT_EQ(machine.AudioLockDepth(), 1);
}

// ---- Installation

TEST(HeadlessInstall, InstalledForTheObjectsLifetime) {
  {
    InstalledHeadless machine;
    EXPECT_EQ(&Video(), &machine.Video());
    EXPECT_EQ(&Clock(), &machine.Clock());
  }
  EXPECT_FALSE(Installed());
}

TEST(HeadlessInstall, ABackendWithoutInputHasNoPads) {
  const ScopedBackend installed(Backend{});
  PadState state;
  state.connected = 3;
  state.buttons[0] = true;
  Input().ReadPadState(state);
  EXPECT_EQ(state.connected, 0);
  EXPECT_FALSE(state.Held(PadButton::A));
}

}  // namespace
}  // namespace rt::platform

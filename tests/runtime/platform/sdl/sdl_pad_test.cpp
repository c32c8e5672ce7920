// Game controllers through the SDL backend, on SDL's virtual joysticks and its display-less driver:
// plugged in before or while the program runs, pressed, moved and unplugged. No window is opened, as
// SDL holds back a pad's presses while the program has windows and none of them has the focus.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/platform/sdl/sdl_pad_mappings.h"
#include "runtime/platform/sdl/sdl_platform.h"

namespace rt::platform {
namespace {

class SdlPadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_GAMECONTROLLERCONFIG");  // only the mappings a test gives
    unsetenv("SDL_GAMECONTROLLERCONFIG_FILE");
  }

  // A virtual pad with a button for each of SDL's from a to dpright and its six axes. As a game
  // controller SDL maps it by itself, buttons and axes in SDL's order; as a plain joystick it has no
  // mapping (its vendor and product give it a GUID a mapping can name).
  static SDL_JoystickID Attach(bool gameController) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = gameController ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    desc.vendor_id = gameController ? 0 : 0x1209;
    desc.product_id = gameController ? 0 : 0x7e57;
    desc.name = "test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    return index < 0 ? -1 : SDL_JoystickGetDeviceInstanceID(index);
  }

  static int IndexOf(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
    }
    return -1;
  }

  static void Detach(SDL_JoystickID id) { SDL_JoystickDetachVirtual(IndexOf(id)); }

  // A virtual axis at rest is 0, which a trigger reads as half pressed; released is the minimum.
  static void ReleaseTriggers(SDL_JoystickID id) {
    SDL_Joystick* joystick = SDL_JoystickFromInstanceID(id);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MIN);
  }

  // The backend asks SDL for news at most once a millisecond, so each read comes that long after the
  // change before it.
  static void WaitForTheNextAsking() { SDL_Delay(2); }

  static std::vector<Event> Events() {
    WaitForTheNextAsking();
    std::vector<Event> events;
    Event event;
    while (Input().NextEvent(event, 0)) events.push_back(event);
    return events;
  }

  static int Count(const std::vector<Event>& events, EventType type, SDL_JoystickID pad) {
    int count = 0;
    for (const Event& event : events) count += event.type == type && event.pad == pad;
    return count;
  }

  static PadState Pads() {
    WaitForTheNextAsking();
    PadState state;
    Input().ReadPadState(state);
    return state;
  }

  static bool AllAtRest(const PadState& state) {
    for (int i = 0; i < kPadButtonCount; ++i) {
      if (state.buttons[i]) return false;
    }
    for (int i = 0; i < kPadAxisCount; ++i) {
      if (state.axes[i] != 0) return false;
    }
    return true;
  }

  SdlOptions Reporting() {
    SdlOptions options;
    options.report = [this](const std::string& line) { reports_.push_back(line); };
    return options;
  }

  // A file of mappings for `count` controllers with GUIDs of their own, each line `lineCount` times.
  static void WriteMappings(const std::string& path, int count, int lineCount = 1) {
    std::ofstream file(path);
    for (int i = 0; i < count; ++i) {
      char guid[33];
      std::snprintf(guid, sizeof guid, "03000000%08x0000000000000000", static_cast<unsigned>(i));
      for (int line = 0; line < lineCount; ++line) {
        file << guid << ",Pad " << i << ",a:b0,b:b1,leftx:a0,platform:Linux,\n";
        file << guid << ",Pad " << i << ",a:b0,b:b1,leftx:a0,platform:Windows,\n";
      }
    }
  }

  std::vector<std::string> reports_;
  std::unique_ptr<SdlBackend> machine_ = CreateSdlBackend(Reporting());
  ScopedBackend installed_{machine_->Facets()};
};

TEST_F(SdlPadTest, PadsPluggedInWhileRunningWorkAtOnceAndUnpluggingOneReleasesOnlyIt) {
  EXPECT_EQ(Pads().connected, 0);
  const SDL_JoystickID first = Attach(true), second = Attach(true);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  std::vector<Event> events = Events();
  EXPECT_EQ(Count(events, EventType::PadAdded, first), 1);
  EXPECT_EQ(Count(events, EventType::PadAdded, second), 1);
  ReleaseTriggers(first);
  ReleaseTriggers(second);
  Events();
  EXPECT_EQ(Pads().connected, 2);
  EXPECT_TRUE(AllAtRest(Pads()));

  SDL_Joystick* joystick = SDL_JoystickFromInstanceID(first);
  const struct {
    int virtualButton;
    PadButton button;
  } presses[] = {{0, PadButton::A},    {1, PadButton::B},     {2, PadButton::X},
                 {4, PadButton::Back}, {6, PadButton::Start}, {11, PadButton::DpadUp}};
  for (const auto& press : presses) {
    SDL_JoystickSetVirtualButton(joystick, press.virtualButton, SDL_PRESSED);
    events = Events();
    ASSERT_EQ(events.size(), 1u) << PadButtonName(press.button);
    EXPECT_EQ(events[0].type, EventType::PadButtonDown);
    EXPECT_EQ(events[0].pad, first);
    EXPECT_EQ(events[0].padButton, press.button);
    EXPECT_TRUE(Pads().Held(press.button));
    SDL_JoystickSetVirtualButton(joystick, press.virtualButton, SDL_RELEASED);
    events = Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, EventType::PadButtonUp);
    EXPECT_FALSE(Pads().Held(press.button));
  }
  const struct {
    int virtualAxis, value;
    PadAxis axis;
    int read;
  } moves[] = {{SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MIN, PadAxis::LeftY, kPadAxisMin},
               {SDL_CONTROLLER_AXIS_RIGHTX, 12345, PadAxis::RightX, 12345},
               {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MAX, PadAxis::RightTrigger, kPadAxisMax}};
  for (const auto& move : moves) {
    SDL_JoystickSetVirtualAxis(joystick, move.virtualAxis, static_cast<Sint16>(move.value));
    events = Events();
    ASSERT_EQ(events.size(), 1u) << PadAxisName(move.axis);
    EXPECT_EQ(events[0].type, EventType::PadAxisMotion);
    EXPECT_EQ(events[0].pad, first);
    EXPECT_EQ(events[0].padAxis, move.axis);
    EXPECT_EQ(events[0].axisValue, move.read);
    EXPECT_EQ(Pads().Axis(move.axis), move.read);
  }

  SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(second), 0, SDL_PRESSED);
  Detach(first);
  events = Events();
  EXPECT_EQ(Count(events, EventType::PadRemoved, first), 1);
  PadState state = Pads();
  EXPECT_EQ(state.connected, 1);
  EXPECT_TRUE(state.Held(PadButton::A));  // the other pad's
  EXPECT_EQ(state.Axis(PadAxis::LeftY), 0);
  EXPECT_EQ(state.Axis(PadAxis::RightTrigger), 0);

  Detach(second);
  EXPECT_EQ(Count(Events(), EventType::PadRemoved, second), 1);
  state = Pads();
  EXPECT_EQ(state.connected, 0);
  EXPECT_TRUE(AllAtRest(state));
}

TEST_F(SdlPadTest, APadPluggedInBeforeInputStartsIsReported) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
  const SDL_JoystickID pad = Attach(true);
  ASSERT_GE(pad, 0);
  EXPECT_EQ(Pads().connected, 1);
  EXPECT_EQ(Count(Events(), EventType::PadAdded, pad), 1);
}

TEST_F(SdlPadTest, AJoystickWithoutAMappingIsIgnoredUntilTheUsersFileMapsIt) {
  const std::string path = ::testing::TempDir() + "pellaris-pad-mappings.txt";
  std::remove(path.c_str());
  EXPECT_EQ(machine_->LoadPadMappings(path), 0);
  const SDL_JoystickID stick = Attach(false);
  ASSERT_GE(stick, 0);
  EXPECT_EQ(Count(Events(), EventType::PadAdded, stick), 0);
  EXPECT_EQ(Pads().connected, 0);

  char guid[33];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(IndexOf(stick)), guid, sizeof guid);
  std::ofstream(path) << "# the user's mappings\n" << guid << ",Test stick,a:b1,leftx:a0,platform:Linux,\n";
  EXPECT_EQ(machine_->LoadPadMappings(path), 1);
  EXPECT_EQ(Count(Events(), EventType::PadAdded, stick), 1);
  SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(stick), 1, SDL_PRESSED);
  EXPECT_TRUE(Pads().Held(PadButton::A));
  EXPECT_EQ(machine_->LoadPadMappings(::testing::TempDir()), -1);  // a folder is no file of mappings
  std::remove(path.c_str());
}

// SDL's cost grows with the square of the controllers it is given: a file of thousands is cut, and
// the player told.
TEST_F(SdlPadTest, AHugeFileOfMappingsIsCutAndSaidSo) {
  const std::string path = ::testing::TempDir() + "pellaris-many-mappings.txt";
  WriteMappings(path, 500, 8);  // each controller's line again and again: only the last counts
  EXPECT_EQ(machine_->LoadPadMappings(path), 500);
  EXPECT_TRUE(reports_.empty());
  WriteMappings(path, kLargestPadMappings + 500);
  EXPECT_EQ(machine_->LoadPadMappings(path), static_cast<int>(kLargestPadMappings) - 500);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("only the first 2000 controllers are used of " + path), std::string::npos)
      << reports_[0];
  std::remove(path.c_str());
}

TEST_F(SdlPadTest, OnlyTheStartOfAFileOfManyMegabytesIsRead) {
  const std::string path = ::testing::TempDir() + "pellaris-long-mappings.txt";
  const SDL_JoystickID stick = Attach(false);
  ASSERT_GE(stick, 0);
  char guid[33];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(IndexOf(stick)), guid, sizeof guid);
  {
    std::ofstream file(path);
    const std::string comment = "# " + std::string(1000, '-') + "\n";
    for (int i = 0; i < 5000; ++i) file << comment;  // about 5 MB before the mapping
    file << guid << ",Test stick,a:b1,leftx:a0,platform:Linux,\n";
  }
  EXPECT_EQ(machine_->LoadPadMappings(path), 0);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("only the first 4 MiB are read of " + path), std::string::npos) << reports_[0];
  EXPECT_EQ(Count(Events(), EventType::PadAdded, stick), 0);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace rt::platform

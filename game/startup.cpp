#include "game/startup.h"

#include <optional>

#include "assets/catalogue.h"
#include "game/field.h"
#include "game/state.h"
#include "runtime/display/message_box.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"

namespace pellaris {

namespace {

constexpr int kScreenDepth = 32;
constexpr std::uint32_t kGameWindowFlags =
    rt::kWindowTitleBar | rt::kWindowSystemMenu | rt::kWindowCentreOnScreen;
constexpr int kGameWindow = 0;

// Sprites, keyboard, sound and mouse, in that order: the first that cannot be opened, or none. The
// sprite system takes the keyboard too, so its failure may be the keyboard's.
std::optional<Device> FirstMissingDevice() {
  if (rt::InitSpriteSystem() == 0) return rt::InitDisplay() == 0 ? Device::Sprites : Device::Keyboard;
  if (rt::InitKeyboardInput() == 0) return Device::Keyboard;
  if (rt::InitSoundSystem() == 0) return Device::Sound;
  if (rt::InitMouseInput() == 0) return Device::Mouse;
  return std::nullopt;
}

// How far opening the display got.
enum class Display { Open, Failed, Interrupted };

Display Fail(const char* text) {
  rt::ShowMessage("Error", text, rt::kMessageOk);
  return Display::Failed;
}

Display OpenWindowedDisplay() {
  if (rt::OpenWindow(kGameWindow, 0, 0, kFieldWidth, kFieldHeight, "Pellaris By Varro / Quillon",
                     kGameWindowFlags) == 0) {
    return Fail("OpenWindow Failed");
  }
  if (rt::OpenWindowedScreen(rt::WindowHandle(kGameWindow), 0, 0, kFieldWidth, kFieldHeight, 0, 0, 0) == 0) {
    return Fail("OpenWindowedScreen Failed");
  }
  return Display::Open;
}

Display OpenFullScreenDisplay() {
  if (rt::OpenScreen(kFieldWidth, kFieldHeight, kScreenDepth, "Pellaris") == 0)
    return Fail("OpenScreen Failed");
  return Display::Open;
}

// Only a No opens the window; any other answer means full screen, unless the program was asked to
// end while the question was up.
Display OpenDisplay() {
  const int answer = rt::ShowMessage("Fullscreen / Windowed", "Do you want to switch to full screen mode?",
                                     rt::kMessageYesNo);
  if (answer == rt::kAnswerInterrupted) return Display::Interrupted;
  return answer == rt::kAnswerNo ? OpenWindowedDisplay() : OpenFullScreenDisplay();
}

// Everything after the runtime's start: the devices, the display and the game.
int Run(const std::function<void()>& playGame, const DeviceFailureText& explain) {
  if (const std::optional<Device> missing = FirstMissingDevice()) {
    rt::ShowMessage("Init Failed!", (explain ? explain : NameTheDevice)(*missing).c_str(), rt::kMessageOk);
    return kExitFailed;
  }
  switch (OpenDisplay()) {
    case Display::Failed:
      return kExitFailed;
    case Display::Interrupted:
      return kExitEnded;
    case Display::Open:
      break;
  }
  if (playGame) playGame();
  return kExitEnded;
}

}  // namespace

std::string NameTheDevice(Device device) {
  switch (device) {
    case Device::Sprites:
      return "Could not open the display.";
    case Device::Keyboard:
      return "Could not open the keyboard.";
    case Device::Sound:
      return "Could not open the sound device.";
    case Device::Mouse:
      return "Could not open the mouse.";
  }
  return "Could not open a device.";
}

int RunProgram(const std::function<void()>& playGame, const DeviceFailureText& explain) {
  ClearGameState();
  rt::StartRuntime();
  // The windows carry the craft as their icon.
  const assets::IconImage icon = assets::WindowIcon();
  rt::SetProgramIcon(icon.pixels, icon.width, icon.height);
  SetStartValues();
  const int exitCode = Run(playGame, explain);
  rt::EndRuntime();
  return exitCode;
}

}  // namespace pellaris

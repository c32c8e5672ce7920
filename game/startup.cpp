#include "game/startup.h"

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

// Sprites, keyboard, sound and mouse, in that order; the first failure stops the checks.
bool DevicesReady() {
  return rt::InitSpriteSystem() != 0 && rt::InitKeyboardInput() != 0 && rt::InitSoundSystem() != 0 &&
         rt::InitMouseInput() != 0;
}

bool Fail(const char* text) {
  rt::ShowMessage("Error", text, rt::kMessageOk);
  return false;
}

bool OpenWindowedDisplay() {
  if (rt::OpenWindow(kGameWindow, 0, 0, kFieldWidth, kFieldHeight, "Pellaris By Varro / Quillon",
                     kGameWindowFlags) == 0) {
    return Fail("OpenWindow Failed");
  }
  if (rt::OpenWindowedScreen(rt::WindowHandle(kGameWindow), 0, 0, kFieldWidth, kFieldHeight, 0, 0, 0) == 0) {
    return Fail("OpenWindowedScreen Failed");
  }
  return true;
}

bool OpenFullScreenDisplay() {
  if (rt::OpenScreen(kFieldWidth, kFieldHeight, kScreenDepth, "Pellaris") == 0)
    return Fail("OpenScreen Failed");
  return true;
}

// Only a No opens the window; any other answer means full screen.
bool OpenDisplay() {
  const int answer = rt::ShowMessage("Fullscreen / Windowed", "Do you want to switch to full screen mode?",
                                     rt::kMessageYesNo);
  return answer == rt::kAnswerNo ? OpenWindowedDisplay() : OpenFullScreenDisplay();
}

}  // namespace

int RunProgram(void (*playGame)()) {
  ClearGameState();
  rt::StartRuntime();
  // The windows carry the craft as their icon.
  const assets::IconImage icon = assets::WindowIcon();
  rt::SetProgramIcon(icon.pixels, icon.width, icon.height);
  SetStartValues();
  if (!DevicesReady()) {
    rt::ShowMessage("Init Failed!", "Can't open DirectX 7 or later", rt::kMessageOk);
  } else if (OpenDisplay() && playGame) {
    playGame();
  }
  rt::EndRuntime();
  return 0;
}

}  // namespace pellaris

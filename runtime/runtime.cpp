#include "runtime/runtime.h"

#include "runtime/core/runtime_state.h"
#include "runtime/core/text.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"

namespace rt {

void StartRuntime() {
  StartStringRuntime();
  StartWindowLibrary();
}

void EndRuntime() {
  EndWindowLibrary();
  EndSoundSystem();
  EndMouseInput();
  EndSpriteSystem();
  EndKeyboardInput();
  ResetRuntimeState();
}

int InitSpriteSystem() {
  StartSpriteStore();
  if (!InitDisplay()) return 0;
  return InitKeyboardInput() != 0 ? 1 : 0;
}

void EndSpriteSystem() {
  EndDisplay();
  EndSpriteStore();
}

std::string ProgramFilename() {
  return platform::Process().ProgramPath();
}

}  // namespace rt

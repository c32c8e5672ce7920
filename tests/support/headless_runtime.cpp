#include "tests/support/headless_runtime.h"

#include "runtime/display/screen.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"

namespace rt::test {

namespace {

bool StartPart(RuntimePart part) {
  switch (part) {
    case RuntimePart::Display:
      return InitDisplay() != 0;
    case RuntimePart::SpriteSystem:
      return InitSpriteSystem() != 0;
    case RuntimePart::Keyboard:
      return InitKeyboardInput() != 0;
    case RuntimePart::Sound:
      return InitSoundSystem() != 0;
    case RuntimePart::Mouse:
      return InitMouseInput() != 0;
  }
  return false;
}

}  // namespace

HeadlessRuntime::~HeadlessRuntime() {
  EndRuntime();
}

bool HeadlessRuntime::Start(std::initializer_list<RuntimePart> parts) {
  StartRuntime();
  for (RuntimePart part : parts) {
    if (!StartPart(part)) return false;
  }
  return true;
}

}  // namespace rt::test

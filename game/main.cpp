// The game on the real machine: the SDL backend, then the program.
#include <memory>

#include "game/game.h"
#include "game/startup.h"
#include "runtime/platform/sdl/sdl_platform.h"

int main() {
  const std::unique_ptr<rt::platform::Platform> machine = rt::platform::CreateSdlPlatform();
  rt::platform::Install(machine.get());
  const int exitCode = pellaris::RunProgram(pellaris::PlayGame);
  rt::platform::Install(nullptr);
  return exitCode;
}

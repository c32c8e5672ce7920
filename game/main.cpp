// The game on the real machine: the SDL backend, then the program.
#include <memory>

#include "game/game.h"
#include "game/startup.h"
#include "runtime/platform/sdl/sdl_platform.h"

int main() {
  const std::unique_ptr<rt::platform::SdlBackend> machine = rt::platform::CreateSdlBackend();
  const rt::platform::ScopedBackend installed(machine->Facets());
  return pellaris::RunProgram(pellaris::PlayGame);
}

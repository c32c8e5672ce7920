// One round frame's work (everything but the wait for the next frame) in a busy round: 35 rocks with
// Left Ctrl held, so shots, impacts, explosions, pop-ups and replacement rocks keep coming, and the
// craft bobbing on the ground line making sparks. Also counts heap allocations per frame.
#include <benchmark/benchmark.h>

#include "game/arithmetic.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/round.h"
#include "game/state.h"
#include "game/title.h"
#include "runtime/core/date.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"
#include "tests/support/allocation_counter.h"


namespace pellaris {
namespace {

using rt::platform::Action;

void BusyRoundFrame(benchmark::State& state) {
  rt::platform::InstalledHeadless machine;
  ClearGameState();
  rt::StartRuntime();
  SetStartValues();
  rt::InitSpriteSystem();
  rt::InitKeyboardInput();
  rt::InitSoundSystem();
  rt::InitMouseInput();
  rt::OpenScreen(640, 400, 32, "Pellaris");
  rt::RandomSeed(3);
  ListFree(entities);
  LoadAssets();
  MakeStarfield();
  SetUpRound();
  machine.Apply(Action::KeyDown(rt::kKeyLeftCtrl));

  int frame = 0;
  auto step = [&] {
    // Bob on the ground line: thrust for 20 frames in every 60.
    if (frame % 60 == 0) machine.Apply(Action::KeyDown(rt::kKeySpace));
    if (frame % 60 == 20) machine.Apply(Action::KeyUp(rt::kKeySpace));
    ++frame;
    roundEndTime = rt::CurrentDate() + 60;  // never over, and no warning
    rt::ClearScreen(MakeColor(flashLevel, flashLevel, flashLevel));
    ActiveFrame();
  };
  for (int warmUp = 0; warmUp < 600; ++warmUp) step();

  long allocated = 0;
  int entityCount = 0;
  for (auto _ : state) {
    const auto before = static_cast<long>(rt::test::AllocationCount());
    step();
    allocated += static_cast<long>(rt::test::AllocationCount()) - before;
    entityCount += ListCount(entities);
  }
  state.counters["allocations/frame"] =
      benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
  state.counters["entities"] =
      benchmark::Counter(static_cast<double>(entityCount), benchmark::Counter::kAvgIterations);
  ListFree(entities);
  rt::EndRuntime();
}
BENCHMARK(BusyRoundFrame)->Unit(benchmark::kMicrosecond)->Iterations(20000);

}  // namespace
}  // namespace pellaris

BENCHMARK_MAIN();

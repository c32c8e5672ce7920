// Verifying a whole two-minute round (recorded by the game in a session on the headless machine,
// with fire held and thrust pulsed): the CPU it takes, as pellaris-replay --verify and the board's
// workers spend it (without drawing), beside the same playback drawing every picture, the way it went
// before verifying skipped the pixels.
#include <benchmark/benchmark.h>

#include <string>

#include "play/format/recording.h"
#include "play/playback.h"
#include "play/replay.h"
#include "tests/play/session/session_run.h"

namespace pellaris::play {
namespace {

constexpr int kLeftCtrl = 0x1D, kSpace = 0x39;

Recording TwoMinuteRound() {
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Setup().recording.seed = 2026;
  run.Press(2, kKeyEnter);
  run.Machine().At(40, Action::KeyDown(kLeftCtrl));
  for (int pass = 60; pass < 7200; pass += 45) {  // thrust in pulses, to climb and fall
    run.Machine().At(pass, Action::KeyDown(kSpace));
    run.Machine().At(pass + 18, Action::KeyUp(kSpace));
  }
  run.Run(12000);  // stopwatches add ten seconds each
  std::string text, error;
  for (const std::string& name : FolderEntries(run.Folder() / "replays")) {
    text = ReadWhole(run.Folder() / "replays" / name);
  }
  return ReadRecording(text, error).value_or(Recording{});
}

const Recording& Round() {
  static const Recording round = TwoMinuteRound();
  return round;
}

void Verify(benchmark::State& state) {
  const Recording& round = Round();
  for (auto _ : state) benchmark::DoNotOptimize(VerifyRecording(round).Verified());
  state.counters["passes"] = static_cast<double>(round.lastPass);
  state.counters["verified"] = VerifyRecording(round).Verified();
}
BENCHMARK(Verify)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same playback with every picture drawn (the replay tool's run of the recording, no log).
void PlayDrawing(benchmark::State& state) {
  const Recording& round = Round();
  ReplayOptions options = ReplayOptionsFor(round);
  options.pixelWritesSkipped = state.range(0) == 0;
  for (auto _ : state) RunReplay(options, nullptr);
  state.counters["passes"] = static_cast<double>(round.lastPass);
}
BENCHMARK(PlayDrawing)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("drawing")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace
}  // namespace pellaris::play

BENCHMARK_MAIN();

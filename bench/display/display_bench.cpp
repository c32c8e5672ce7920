// The per-frame costs of the display: clearing the back buffer (next to a plain memset of the same
// bytes) and the windowed frame timer on the real clock, whose CPU time shows how little of its wait
// is spent spinning.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/sdl/sdl_platform.h"

namespace {

void ClearAtDepth(benchmark::State& state, int depth) {
  rt::platform::InstalledHeadless machine;
  rt::InitDisplay();
  rt::OpenScreen(640, 400, depth, "bench");
  std::uint32_t color = 0;
  for (auto _ : state) {
    rt::ClearScreen(color++);
    benchmark::DoNotOptimize(rt::BlitTarget()->Pixels());
  }
  state.SetBytesProcessed(state.iterations() * 640 * 400 * (depth / 8));
  rt::EndDisplay();
}

void BM_ClearScreen32(benchmark::State& state) {
  ClearAtDepth(state, 32);
}
void BM_ClearScreen16(benchmark::State& state) {
  ClearAtDepth(state, 16);
}

// The peer: the same number of bytes set by the C library.
void BM_MemsetPeer(benchmark::State& state) {
  std::vector<std::uint8_t> bytes(640 * 400 * 4);
  int value = 0;
  for (auto _ : state) {
    std::memset(bytes.data(), value++ & 0xFF, bytes.size());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

// Real time per iteration is the frame period; CPU time per iteration is what the wait costs.
void BM_WindowedFrameTimer(benchmark::State& state) {
  const std::unique_ptr<rt::platform::SdlBackend> machine = rt::platform::CreateSdlBackend();
  const rt::platform::ScopedBackend installed(machine->Facets());
  rt::SetFrameRate(60);
  for (auto _ : state) benchmark::DoNotOptimize(rt::WaitFrameTick());
  state.counters["frames_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ClearScreen32);
BENCHMARK(BM_ClearScreen16);
BENCHMARK(BM_MemsetPeer);
BENCHMARK(BM_WindowedFrameTimer)->Iterations(300)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

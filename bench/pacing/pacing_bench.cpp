// The game's present-and-pace loop for a few seconds on the SDL backend, with SDL's dummy video driver
// so that no display is needed: a windowed screen opened through the runtime as the game opens it,
// and each frame the status bar drawn and FlipBuffers (the frame timer's sleep to an absolute
// deadline, then the present). Against it the same frames paced as the present peer paces
// (bench/present/peer_window_surface.c): shown in a window surface of its own, then SDL_Delay in
// whole milliseconds until the deadline has passed. Reported: frames a second, CPU per frame (all
// threads), how late the sleeps ended after their deadlines, and the frames that found their
// deadline passed already and did not sleep.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/platform/sdl/sdl_platform.h"
#include "runtime/runtime.h"
#include "runtime/sprites/drawing.h"

namespace {

constexpr int kWidth = 640, kHeight = 400;
constexpr int kFrames = 300;  // five seconds at the windowed screen's rate
constexpr int kWindow = 0;

// What the sleeps of a run came to.
struct Pacing {
  std::vector<std::int64_t> lateNs;  // one entry per frame that slept
  int missed = 0;                    // frames whose deadline had passed before they could sleep

  void Report(benchmark::State& state, int frames, double seconds, double cpuSeconds) {
    std::sort(lateNs.begin(), lateNs.end());
    const auto lateMs = [&](double fraction) {
      return lateNs.empty() ? 0.0 : lateNs[static_cast<std::size_t>(fraction * (lateNs.size() - 1))] / 1e6;
    };
    state.counters["frames_per_s"] = frames / seconds;
    state.counters["cpu_ms_per_frame"] = 1e3 * cpuSeconds / frames;
    state.counters["late_ms_p50"] = lateMs(0.5);
    state.counters["late_ms_p99"] = lateMs(0.99);
    state.counters["late_ms_max"] = lateMs(1.0);
    state.counters["missed"] = missed;
  }
};

// The process's CPU time, every thread's.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Counts the frames and times the run, wall clock and CPU.
template <typename Frame>
void Run(benchmark::State& state, Pacing& pacing, Frame frame) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  int frames = 0;
  for (auto _ : state) {
    frame();
    ++frames;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  pacing.Report(state, frames, elapsed.count(), CpuSeconds() - cpuStart);
}

// The SDL backend's clock with each sleep watched: how long after its deadline it ended.
class WatchedClock : public rt::platform::ClockFacet {
 public:
  WatchedClock(ClockFacet& clock, Pacing& pacing) : clock_(clock), pacing_(pacing) {}
  std::uint64_t Counter() override { return clock_.Counter(); }
  std::uint64_t CounterFrequency() override { return clock_.CounterFrequency(); }
  void SleepMs(int milliseconds) override { clock_.SleepMs(milliseconds); }
  void SleepUntil(std::uint64_t counter) override {
    clock_.SleepUntil(counter);
    pacing_.lateNs.push_back(static_cast<std::int64_t>(clock_.Counter() - counter));
  }
  std::uint32_t TickMs() override { return clock_.TickMs(); }
  rt::platform::LocalDateTime LocalTime() override { return clock_.LocalTime(); }
  void FrameBoundary() override { clock_.FrameBoundary(); }

 private:
  ClockFacet& clock_;
  Pacing& pacing_;
};

// The runtime on the SDL backend with its clock watched, and the game's windowed screen.
class Machine {
 public:
  Machine()
      : sdl_(rt::platform::CreateSdlBackend()),
        clock_(*sdl_->Facets().clock, pacing_),
        installed_(WithClock(sdl_->Facets(), clock_)) {
    rt::StartRuntime();
    opened_ = rt::InitSpriteSystem() != 0 &&
              rt::OpenWindow(kWindow, 0, 0, kWidth, kHeight, "bench",
                             rt::kWindowDefaultFlags | rt::kWindowCentreOnScreen) != 0 &&
              rt::OpenWindowedScreen(rt::WindowHandle(kWindow), 0, 0, kWidth, kHeight) != 0;
  }
  ~Machine() { rt::EndRuntime(); }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  bool Opened() const { return opened_; }
  Pacing& Watched() { return pacing_; }

 private:
  static rt::platform::Backend WithClock(rt::platform::Backend facets, rt::platform::ClockFacet& clock) {
    facets.clock = &clock;
    return facets;
  }

  std::unique_ptr<rt::platform::SdlBackend> sdl_;
  Pacing pacing_;
  WatchedClock clock_;
  rt::platform::ScopedBackend installed_;
  bool opened_ = false;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

// A frame's drawing: the status bar, as the round draws it.
void DrawFrame() {
  rt::ClearScreen(0);
  rt::BeginDrawing(rt::ScreenTarget());
  rt::DrawBox(0, 350, kWidth, kHeight - 350, 0x461414);
  rt::DrawTextAt(0, 0, "Score: 12345", 0xC8C8C8, 0);
  rt::DrawTextAt(kWidth - rt::TextWidth("Remaining Time: 01:23"), 0, "Remaining Time: 01:23", 0xC8C8C8, 0);
  rt::EndDrawing();
}

void BM_Pacing_Ours(benchmark::State& state) {
  Pacing& pacing = TheMachine().Watched();
  pacing = Pacing{};
  std::size_t slept = 0;
  Run(state, pacing, [&] {
    rt::PollWindowEvent();
    rt::FlipBuffers();
    if (pacing.lateNs.size() == slept) ++pacing.missed;
    slept = pacing.lateNs.size();
    DrawFrame();
  });
}

// The peer: the same back buffer copied into a window surface of its own and shown, then SDL_Delay
// in whole milliseconds past an absolute deadline at the windowed screen's period, starting afresh
// when more than a frame behind.
void BM_Pacing_PeerSdlDelay(benchmark::State& state) {
  TheMachine();
  SDL_Window* window = SDL_CreateWindow("peer", 0, 0, kWidth, kHeight, 0);
  const Uint64 frequency = SDL_GetPerformanceFrequency();
  const Uint64 period = frequency / 61;
  Uint64 deadline = SDL_GetPerformanceCounter() + period;
  Pacing pacing;
  Run(state, pacing, [&] {
    rt::PollWindowEvent();
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    const rt::Surface& back = *rt::BlitTarget();
    for (int y = 0; y < kHeight; ++y) {
      std::memcpy(
          static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch,
          back.RowAs<std::uint32_t>(y), kWidth * 4);
    }
    SDL_UpdateWindowSurface(window);
    Uint64 now = SDL_GetPerformanceCounter();
    if (now >= deadline) {
      ++pacing.missed;
    } else {
      while (now < deadline) {
        SDL_Delay(static_cast<Uint32>((deadline - now) * 1000 / frequency) + 1);
        now = SDL_GetPerformanceCounter();
      }
      pacing.lateNs.push_back(static_cast<std::int64_t>((now - deadline) * 1'000'000'000 / frequency));
    }
    deadline += period;
    if (now > deadline) deadline = now + period;
    DrawFrame();
  });
  SDL_DestroyWindow(window);
}

BENCHMARK(BM_Pacing_Ours)
    ->Iterations(kFrames)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pacing_PeerSdlDelay)
    ->Iterations(kFrames)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // no display needed
  if (!TheMachine().Opened()) {
    std::fprintf(stderr, "the windowed screen did not open: %s\n", SDL_GetError());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

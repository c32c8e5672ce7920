// The back buffer (640 x 400, 0x00RRGGBB) to the screen through each of the SDL backend's present
// paths, on SDL's dummy video driver: its window surface lies in memory and its renderer is SDL's
// software one, so this runs without a display and measures the program's own work per picture (on a
// desktop the display server's work comes on top). The window surface written directly and the
// streaming texture, each at 1:1, at 2x and stretched by 1.5; next to them the floor, a plain memcpy
// of the bytes the picture covers on the output, and for the scaled outputs SDL's own SDL_BlitScaled.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "runtime/platform/sdl/sdl_presenter.h"

namespace {

using rt::platform::PresentPath;
using rt::platform::Rect;

constexpr int kWidth = 640, kHeight = 400;

struct Output {
  const char* name;
  int width, height;
};
constexpr Output kOutputs[] = {{"1:1", 640, 400}, {"2x", 1280, 800}, {"1.5x", 960, 600}};

// Every pixel differs from its neighbours, so a wrong source pixel shows.
const std::vector<std::uint32_t>& Picture() {
  static const std::vector<std::uint32_t> pixels = [] {
    std::vector<std::uint32_t> made(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x)
        made[static_cast<std::size_t>(y) * kWidth + x] =
            static_cast<std::uint32_t>(y) << 12 | static_cast<std::uint32_t>(x);
    }
    return made;
  }();
  return pixels;
}

// Where in an output pixel the source is sampled: our scaler takes the source pixel under the centre;
// SDL's software stretch (its renderer's and SDL_BlitScaled) the one under the top left corner, which
// differs only where the scale is not a whole number.
constexpr double kCentre = 0.5, kCorner = 0.0;

// Straight from the definition, in floating point.
std::uint32_t ReferencePixel(const Rect& target, int x, int y, double sampledAt) {
  const int sourceX = static_cast<int>(std::floor((x - target.x + sampledAt) * kWidth / target.width));
  const int sourceY = static_cast<int>(std::floor((y - target.y + sampledAt) * kHeight / target.height));
  return Picture()[static_cast<std::size_t>(sourceY) * kWidth + sourceX];
}

// Pixels inside the target are the reference's, the others untouched (`outside`); `what` names the
// case when one differs.
bool MatchesReference(const char* what, const std::uint8_t* out, int outWidth, int outHeight, int outPitch,
                      const Rect& target, double sampledAt, std::uint32_t outside) {
  for (int y = 0; y < outHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * outPitch);
    for (int x = 0; x < outWidth; ++x) {
      const bool inside =
          x >= target.x && x < target.x + target.width && y >= target.y && y < target.y + target.height;
      const std::uint32_t expected = inside ? ReferencePixel(target, x, y, sampledAt) : outside;
      if ((row[x] & 0xFFFFFF) == expected) continue;
      std::fprintf(stderr, "%s: pixel (%d, %d) is %06X, %06X expected\n", what, x, y, row[x] & 0xFFFFFF,
                   expected);
      return false;
    }
  }
  return true;
}

// The scaler alone, into padded rows, at the measured sizes and at placements that clip it.
bool ScalerMatchesReference() {
  struct Case {
    Rect target;
    int outWidth, outHeight;
  };
  std::vector<Case> cases;
  for (const Output& output : kOutputs)
    cases.push_back({{0, 0, output.width, output.height}, output.width, output.height});
  cases.push_back({{40, 30, 640, 400}, 1280, 800});    // 1:1 on a wider output
  cases.push_back({{-3, -5, 640, 400}, 640, 400});     // 1:1 off the top left
  cases.push_back({{-100, -50, 960, 600}, 800, 500});  // stretched, clipped on every side
  cases.push_back({{171, 0, 1024, 768}, 1366, 768});   // 1.92 x 1.6 on a wide desktop
  cases.push_back({{0, 0, 427, 267}, 427, 267});       // shrunk
  constexpr std::uint32_t kUntouched = 0xABCDEF;
  for (const Case& c : cases) {
    const int pitch = c.outWidth * 4 + 64;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(pitch / 4) * c.outHeight, kUntouched);
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data());
    rt::platform::ScalePicture(Picture().data(), kWidth, kHeight, kWidth * 4, c.target, bytes, c.outWidth,
                               c.outHeight, pitch);
    if (!MatchesReference("ScalePicture", bytes, c.outWidth, c.outHeight, pitch, c.target, kCentre,
                          kUntouched))
      return false;
  }
  return true;
}

struct WindowDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
using Window = std::unique_ptr<SDL_Window, WindowDeleter>;

// A window of the output's size with a presenter of the path; the presenter goes first.
struct Presenting {
  Window window;
  std::unique_ptr<rt::platform::Presenter> presenter;

  Presenting(const Output& output, PresentPath path)
      : window(SDL_CreateWindow("bench", 0, 0, output.width, output.height, 0)),
        presenter(rt::platform::MakePresenter(window.get(), path, false)) {}
  ~Presenting() { presenter.reset(); }
  Presenting(const Presenting&) = delete;
  Presenting& operator=(const Presenting&) = delete;

  void Show(const Output& output) {
    presenter->Show(Picture().data(), kWidth, kHeight, kWidth * 4, Rect{0, 0, output.width, output.height});
  }
};

// What each path put in the window surface (where the software renderer draws, too).
bool PathMatchesReference(const char* what, const Output& output, PresentPath path, double sampledAt) {
  Presenting presenting(output, path);
  if (!presenting.presenter) {
    std::fprintf(stderr, "%s: no presenter (%s)\n", what, SDL_GetError());
    return false;
  }
  presenting.Show(output);
  const SDL_Surface* surface = SDL_GetWindowSurface(presenting.window.get());
  return MatchesReference(what, static_cast<const std::uint8_t*>(surface->pixels), output.width,
                          output.height, surface->pitch, Rect{0, 0, output.width, output.height}, sampledAt,
                          0);
}

// SDL's own scaled blit of the picture into the window surface.
struct SdlScaling {
  Window window;
  SDL_Surface* picture;

  explicit SdlScaling(const Output& output)
      : window(SDL_CreateWindow("bench", 0, 0, output.width, output.height, 0)),
        picture(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(Picture().data()), kWidth,
                                                   kHeight, 32, kWidth * 4, SDL_PIXELFORMAT_RGB888)) {}
  ~SdlScaling() { SDL_FreeSurface(picture); }
  SdlScaling(const SdlScaling&) = delete;
  SdlScaling& operator=(const SdlScaling&) = delete;

  void Show() {
    SDL_BlitScaled(picture, nullptr, SDL_GetWindowSurface(window.get()), nullptr);
    SDL_UpdateWindowSurface(window.get());
  }
};

// The label and the bytes each picture puts on the output.
void Report(benchmark::State& state, const Output& output) {
  state.SetLabel(output.name);
  state.SetBytesProcessed(state.iterations() * output.width * output.height * 4);
}

void BM_Present_Surface(benchmark::State& state) {
  const Output& output = kOutputs[state.range(0)];
  Presenting presenting(output, PresentPath::Surface);
  for (auto _ : state) presenting.Show(output);
  Report(state, output);
}

void BM_Present_Texture(benchmark::State& state) {
  const Output& output = kOutputs[state.range(0)];
  Presenting presenting(output, PresentPath::Texture);
  for (auto _ : state) presenting.Show(output);
  Report(state, output);
}

void BM_Present_Memcpy(benchmark::State& state) {
  const Output& output = kOutputs[state.range(0)];
  const std::size_t bytes = static_cast<std::size_t>(output.width) * output.height * 4;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  Report(state, output);
}

void BM_Present_SdlBlitScaled(benchmark::State& state) {
  const Output& output = kOutputs[state.range(0)];
  SdlScaling scaling(output);
  for (auto _ : state) scaling.Show();
  Report(state, output);
}

BENCHMARK(BM_Present_Surface)->DenseRange(0, 2);
BENCHMARK(BM_Present_Texture)->DenseRange(0, 2);
BENCHMARK(BM_Present_Memcpy)->DenseRange(0, 2);
BENCHMARK(BM_Present_SdlBlitScaled)->DenseRange(1, 2);

bool PathsMatchReference() {
  if (!ScalerMatchesReference()) return false;
  for (const Output& output : kOutputs) {
    if (!PathMatchesReference("window surface", output, PresentPath::Surface, kCentre) ||
        !PathMatchesReference("streaming texture", output, PresentPath::Texture, kCorner))
      return false;
    SdlScaling scaling(output);
    scaling.Show();
    const SDL_Surface* surface = SDL_GetWindowSurface(scaling.window.get());
    if (!MatchesReference("SDL_BlitScaled", static_cast<const std::uint8_t*>(surface->pixels), output.width,
                          output.height, surface->pitch, Rect{0, 0, output.width, output.height}, kCorner, 0))
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // no display needed
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  const bool same = PathsMatchReference();
  if (same) benchmark::RunSpecifiedBenchmarks();
  SDL_Quit();
  benchmark::Shutdown();
  return same ? 0 : 1;
}

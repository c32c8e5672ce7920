#include "runtime/display/screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/display/pixel_format.h"
#include "runtime/display/window.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

using platform::EventType;
using platform::WindowId;

constexpr int kScanTab = 15;
constexpr int kScanLeftAlt = 56;
constexpr int kScanRightAlt = 56 + 128;
// The last stretch of a frame period is spun on the counter: a sleep may overshoot by that much.
constexpr std::int64_t kSpinMicroseconds = 300;

struct FrameTimer {
  int rate = 0;  // 0: none
  bool automatic = false;
  std::int64_t ticksPerFrame = 0;
  std::int64_t mark = 0;  // counter at the end of the last wait
  bool marked = false;    // false right after SetFrameRate: the next wait runs a full period
};

struct Display {
  bool initialised = false;
  WindowId window = 0;
  int width = 0;  // 0: no screen
  int height = 0;
  int depth = 0;
  int pixelFormat = 0;
  bool windowed = false;
  bool active = false;
  bool pixelsSaved = false;
  bool surfacesLost = false;  // set by a deactivation; the next shown frame restores the sprites
  Surface backBuffer;
  std::vector<std::uint32_t> converted;  // 0x00RRGGBB copy of a 16-bit back buffer
  bool drawingPending = false;
  DrawingTarget target;
  void (*focusLossHook)() = nullptr;
};

Display display;
FrameTimer timer;
void (*closeScreenHook)() = nullptr;
void (*deactivationHook)() = nullptr;

bool ScreenOpen() {
  return display.width != 0;
}

// Sprite pixels live in memory that is never lost, so saving and restoring them keep only their place
// in the order of events around a focus loss.
void SaveSpritePixels() {}
void RestoreSpritePixels() {}

void RunFocusLossHook() {
  if (display.focusLossHook && !display.pixelsSaved) {
    display.focusLossHook();
    display.pixelsSaved = true;
  }
}

void Deactivate() {
  RunFocusLossHook();
  display.active = false;
  display.surfacesLost = true;
  if (deactivationHook) deactivationHook();
}

void Activate() {
  display.active = true;
  display.pixelsSaved = false;
}

void CloseScreen() {
  if (closeScreenHook) closeScreenHook();
  if (display.window != 0) {
    if (display.windowed) {
      ClearWindowedScreenArea(display.window);
    } else {
      platform::Get().ShowCursor(true);
      platform::Get().DestroyWindow(display.window);
    }
  }
  display.backBuffer = Surface();
  display.converted.clear();
  display.converted.shrink_to_fit();
  display.drawingPending = false;
  display.windowed = false;
  display.window = 0;
  display.width = display.height = display.depth = display.pixelFormat = 0;
}

void PresentFullScreen() {
  DispatchPendingEvents();
  if (!display.active) return;
  if (display.surfacesLost) {
    RestoreSpritePixels();
    display.surfacesLost = false;
  }
  ShowBackBuffer(platform::Rect{});
  if (timer.rate != 0) WaitFrameTick();
}

void EndScreenDrawing() {
  display.drawingPending = false;
}

// The rows lie back to back and their pitch is a multiple of 64 bytes (the padding at their ends is
// never shown), so the whole buffer is filled as one run of 64-byte blocks: with memset when every
// byte of the pattern is the same (black, the usual clear), else with four 16-byte stores a block.
template <typename Pixel>
void FillRows(Surface& surface, Pixel value) {
  const std::size_t bytes = static_cast<std::size_t>(surface.Pitch()) * static_cast<std::size_t>(surface.Height());
  std::uint64_t pattern = 0;
  for (std::size_t i = 0; i < sizeof pattern / sizeof(Pixel); ++i) pattern = pattern << (8 * sizeof(Pixel)) | value;
  if (pattern == (pattern & 0xFF) * 0x0101010101010101ull) {
    std::memset(surface.Pixels(), static_cast<int>(pattern & 0xFF), bytes);
    return;
  }
  using Block = std::uint64_t __attribute__((vector_size(16)));
  const Block wide = {pattern, pattern};
  Block* out = reinterpret_cast<Block*>(surface.Pixels());
  for (Block* const end = out + bytes / sizeof(Block); out < end; out += 4) {
    out[0] = wide;
    out[1] = wide;
    out[2] = wide;
    out[3] = wide;
  }
}

std::uint32_t Expand565(std::uint16_t pixel) {
  const std::uint32_t red = (pixel >> 11) & 0x1F, green = (pixel >> 5) & 0x3F, blue = pixel & 0x1F;
  return ((red << 3 | red >> 2) << 16) | ((green << 2 | green >> 4) << 8) | (blue << 3 | blue >> 2);
}

const std::uint32_t* ConvertedBackBuffer() {
  const Surface& back = display.backBuffer;
  display.converted.resize(static_cast<std::size_t>(back.Width()) * back.Height());
  std::uint32_t* out = display.converted.data();
  for (int y = 0; y < back.Height(); ++y) {
    out = std::transform(back.RowAs<std::uint16_t>(y), back.RowAs<std::uint16_t>(y) + back.Width(), out,
                         Expand565);
  }
  return display.converted.data();
}

std::int64_t ElapsedSinceMark(std::int64_t now) {
  if (!timer.marked) {
    timer.mark = now;
    timer.marked = true;
  }
  return now - timer.mark;
}

// A back buffer holds 32-bit or 16-bit pixels, and only a started device opens screens.
bool CanOpen(int width, int height, int depth) {
  return display.initialised && width > 0 && height > 0 && (depth == 32 || depth == 16);
}

}  // namespace

int InitDisplay() {
  int width = 0, height = 0, depth = 0;
  if (!platform::Get().DesktopMode(width, height, depth)) return 0;
  timer = FrameTimer{};
  display.drawingPending = false;
  display.initialised = true;
  return 1;
}

void EndDisplay() {
  if (!display.initialised) return;
  if (ScreenOpen()) CloseScreen();
  display.initialised = false;
}

void CloseOpenScreen() {
  if (!ScreenOpen()) return;
  if (timer.automatic) SetFrameRate(0);
  CloseScreen();
}

int OpenScreenSurface(WindowId window, int width, int height, int depth, bool windowed) {
  if (!CanOpen(width, height, depth)) return 0;
  display.window = window;
  display.windowed = windowed;
  display.width = width;
  display.height = height;
  display.depth = depth;
  display.pixelFormat = depth == 32 ? PixelFormat32RedHigh : PixelFormat565;
  display.backBuffer = Surface(width, height, depth);
  display.drawingPending = false;
  display.active = true;
  display.pixelsSaved = false;
  display.surfacesLost = false;
  display.focusLossHook = SaveSpritePixels;
  return 1;
}

int OpenScreen(int width, int height, int depth, const char* title) {
  CloseOpenScreen();
  // The sizes arrive as 16-bit values.
  width = static_cast<std::int16_t>(width);
  height = static_cast<std::int16_t>(height);
  depth = static_cast<std::int16_t>(depth);
  if (!CanOpen(width, height, depth)) return 0;
  const WindowId window = platform::Get().CreateFullScreenWindow(title ? title : "");
  if (window == 0) return 0;
  ApplyProgramIcon(window);
  platform::Get().ShowCursor(false);
  OpenScreenSurface(window, width, height, depth, false);
  ShowBackBuffer(platform::Rect{});  // a black display from the start
  return 1;
}

int FlipBuffers() {
  const bool open = ScreenOpen();
  if (open) {
    display.drawingPending = false;
    if (display.windowed) {
      PresentWindowed();
    } else {
      PresentFullScreen();
    }
  }
  platform::Get().FrameBoundary();
  return open ? 1 : 0;
}

void ShowBackBuffer(const platform::Rect& dest) {
  const Surface& back = display.backBuffer;
  if (back.Empty()) return;
  if (display.depth == 16) {
    platform::Get().Present(display.window, ConvertedBackBuffer(), back.Width(), back.Height(),
                            back.Width() * 4, dest);
  } else {
    platform::Get().Present(display.window, reinterpret_cast<const std::uint32_t*>(back.Pixels()),
                            back.Width(), back.Height(), back.Pitch(), dest);
  }
}

void ClearScreen(std::uint32_t color) {
  Surface& back = display.backBuffer;
  if (back.Empty()) return;
  const int red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
  const std::uint32_t value = ColorToPixel(red, green, blue);
  if (display.depth == 16) {
    FillRows(back, static_cast<std::uint16_t>(value));
  } else {
    FillRows(back, value);
  }
  back.Touch();
}

DrawingTarget* ScreenTarget() {
  if (!ScreenOpen() || display.drawingPending) return nullptr;
  display.drawingPending = true;
  display.target = DrawingTarget{&display.backBuffer, display.depth, display.pixelFormat, EndScreenDrawing};
  return &display.target;
}

int ScreenActive() {
  if (!ScreenOpen()) return 0;
  if (display.windowed) return platform::Get().FocusedWindow() == display.window ? 1 : 0;
  return display.active ? 1 : 0;
}

int ScreenWidth() {
  return display.width;
}
int ScreenHeight() {
  return display.height;
}
int ScreenDepth() {
  return display.depth;
}
int ScreenPixelFormat() {
  return display.pixelFormat;
}
Surface* BlitTarget() {
  return ScreenOpen() ? &display.backBuffer : nullptr;
}
bool FullScreenInactive() {
  return ScreenOpen() && !display.windowed && !display.active;
}
std::uint32_t DisplayWindow() {
  return display.window;
}
bool WindowedScreenOpen() {
  return ScreenOpen() && display.windowed;
}
int SpritePixelsSaved() {
  return display.pixelsSaved ? 1 : 0;
}

void SetCloseScreenHook(void (*hook)()) {
  closeScreenHook = hook;
}
void SetDeactivationHook(void (*hook)()) {
  deactivationHook = hook;
}

void HandleDisplayEvent(const platform::Event& event) {
  if (!ScreenOpen()) return;
  if (display.windowed) {
    if (event.window == display.window) RepaintWindowedScreen(event);
    return;
  }
  // Full screen: the close request is ignored, so only Escape ends the game.
  switch (event.type) {
    case EventType::FocusGained:
      if (event.window == display.window) Activate();
      break;
    case EventType::FocusLost:
      if (event.window == display.window) Deactivate();
      break;
    case EventType::KeyUp:
      if (event.scanCode == kScanTab || event.scanCode == kScanLeftAlt || event.scanCode == kScanRightAlt) {
        RunFocusLossHook();
      }
      break;
    default:
      break;
  }
}

int SetFrameRate(int rate) {
  const std::uint64_t frequency = platform::Get().CounterFrequency();
  if (frequency == 0) return 0;
  timer.automatic = false;
  timer.rate = rate;
  timer.ticksPerFrame = static_cast<std::int64_t>(frequency) / (static_cast<std::int64_t>(rate) + 1);
  timer.marked = false;
  return 1;
}

void UseAutomaticFrameRate(int rate) {
  if (timer.rate != 0) {
    timer.automatic = false;
    return;
  }
  SetFrameRate(rate);
  timer.automatic = true;
}

// Sleeps through most of the period and spins only on its last stretch, so a windowed game does not
// keep a core busy; the period still runs from the end of the previous wait, so the game's own work
// counts towards it.
int WaitFrameTick() {
  platform::Platform& machine = platform::Get();
  const auto frequency = static_cast<std::int64_t>(machine.CounterFrequency());
  const std::int64_t spinTicks = frequency * kSpinMicroseconds / 1000000;
  int readings = 0;
  std::int64_t previous = -1;
  for (;;) {
    const auto now = static_cast<std::int64_t>(machine.Counter());
    const std::int64_t remaining = timer.ticksPerFrame - ElapsedSinceMark(now);
    if (remaining < 0) {
      timer.mark = now;
      return readings;
    }
    ++readings;
    const std::int64_t sleepMs = remaining > spinTicks ? (remaining - spinTicks) * 1000 / frequency : 0;
    if (sleepMs > 0) {
      machine.SleepMs(static_cast<int>(sleepMs));
    } else if (now == previous) {
      // A counter that stands still between readings (a virtual clock) moves when slept on.
      machine.SleepMs(1);
    }
    previous = now;
  }
}

}  // namespace rt

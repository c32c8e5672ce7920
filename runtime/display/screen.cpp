#include "runtime/display/screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/display/display_state.h"
#include "runtime/display/pixel_format.h"
#include "runtime/display/window.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/platform/key_codes.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

using platform::EventType;
using platform::WindowId;

// The game updates 60 times a second. A full-screen display whose presents wait for a retrace at
// about that rate paces it; presents paced faster or slower, or not at all, leave it to the timer.
constexpr int kGameUpdatesPerSecond = 60;
constexpr int kSlowestSyncedRefresh = 59, kFastestSyncedRefresh = 61;

bool ScreenOpen() {
  return Display().width != 0;
}

// Sprite pixels live in memory that is never lost: "saving" them before a focus loss only marks
// them saved, once until the display is active again.
void MarkSpritePixelsSaved() {
  Display().pixelsSaved = true;
}

void Deactivate() {
  MarkSpritePixelsSaved();
  Display().active = false;
  Runtime().displayDeactivated.Emit();
}

void Activate() {
  Display().active = true;
  Display().pixelsSaved = false;
}

void CloseScreen() {
  Runtime().screenClosing.Emit();
  if (Display().window != 0) {
    if (Display().windowed) {
      ClearWindowedScreenArea(Display().window);
    } else {
      platform::Input().ShowCursor(true);
      platform::Video().DestroyWindow(Display().window);
    }
  }
  Display().backBuffer = Surface();
  Display().converted.clear();
  Display().converted.shrink_to_fit();
  Display().drawingPending = false;
  Display().windowed = false;
  Display().window = 0;
  Display().width = Display().height = Display().depth = Display().pixelFormat = 0;
}

void PresentFullScreen() {
  DispatchPendingEvents();
  if (!Display().active) return;
  ShowBackBuffer(platform::Rect{});
  if (Display().frameRate != 0 || Display().pacedFullScreen) Display().timer.Wait();
}

// Decides who paces a full-screen display: the retrace when presents wait for it at the game's rate,
// else the frame timer at the game's own 60 updates a second (a rate the program set comes first).
void ChooseFullScreenPacing() {
  const int refresh = platform::Video().PresentRate(Display().window);
  const bool synced = refresh >= kSlowestSyncedRefresh && refresh <= kFastestSyncedRefresh;
  const std::uint64_t frequency = platform::Clock().CounterFrequency();
  Display().pacedFullScreen = !synced && frequency != 0;
  if (Display().pacedFullScreen && Display().frameRate == 0) {
    Display().timer.Start(static_cast<std::int64_t>(frequency) / kGameUpdatesPerSecond);
  }
}

void EndScreenDrawing() {
  Display().drawingPending = false;
}

// The rows lie back to back and their pitch is a multiple of 64 bytes (the padding at their ends is
// never shown), so the whole buffer is filled as one run of 64-byte blocks: with memset when every
// byte of the pattern is the same (black, the usual clear), else with four 16-byte stores a block.
template <typename Pixel>
void FillRows(Surface& surface, Pixel value) {
  const std::size_t bytes =
      static_cast<std::size_t>(surface.Pitch()) * static_cast<std::size_t>(surface.Height());
  std::uint64_t pattern = 0;
  for (std::size_t i = 0; i < sizeof pattern / sizeof(Pixel); ++i)
    pattern = pattern << (8 * sizeof(Pixel)) | value;
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
  const Surface& back = Display().backBuffer;
  Display().converted.resize(static_cast<std::size_t>(back.Width()) * back.Height());
  std::uint32_t* out = Display().converted.data();
  for (int y = 0; y < back.Height(); ++y) {
    out = std::transform(back.RowAs<std::uint16_t>(y), back.RowAs<std::uint16_t>(y) + back.Width(), out,
                         Expand565);
  }
  return Display().converted.data();
}

// A back buffer holds 32-bit or 16-bit pixels, and only a started device opens screens.
bool CanOpen(int width, int height, int depth) {
  return Display().initialised && width > 0 && height > 0 && (depth == 32 || depth == 16);
}

}  // namespace

int InitDisplay() {
  int width = 0, height = 0, depth = 0;
  if (!platform::Video().DesktopMode(width, height, depth)) return 0;
  Display().timer.Stop();
  Display().frameRate = 0;
  Display().automaticRate = false;
  Display().drawingPending = false;
  Display().initialised = true;
  return 1;
}

void EndDisplay() {
  if (!Display().initialised) return;
  if (ScreenOpen()) CloseScreen();
  Display().initialised = false;
}

void CloseOpenScreen() {
  if (!ScreenOpen()) return;
  if (Display().automaticRate) SetFrameRate(0);
  if (Display().pacedFullScreen && Display().frameRate == 0) Display().timer.Stop();
  Display().pacedFullScreen = false;
  CloseScreen();
}

int OpenScreenSurface(WindowId window, int width, int height, int depth, bool windowed) {
  if (!CanOpen(width, height, depth)) return 0;
  Display().window = window;
  Display().windowed = windowed;
  Display().width = width;
  Display().height = height;
  Display().depth = depth;
  Display().pixelFormat = depth == 32 ? PixelFormat32RedHigh : PixelFormat565;
  Display().backBuffer = Surface(width, height, depth);
  Display().drawingPending = false;
  Display().active = true;
  Display().pixelsSaved = false;
  return 1;
}

int OpenScreen(int width, int height, int depth, const char* title) {
  CloseOpenScreen();
  // The sizes arrive as 16-bit values.
  width = static_cast<std::int16_t>(width);
  height = static_cast<std::int16_t>(height);
  depth = static_cast<std::int16_t>(depth);
  if (!CanOpen(width, height, depth)) return 0;
  const WindowId window = platform::Video().CreateFullScreenWindow(title ? title : "");
  if (window == 0) return 0;
  ApplyProgramIcon(window);
  platform::Input().ShowCursor(false);
  OpenScreenSurface(window, width, height, depth, false);
  ChooseFullScreenPacing();
  ShowBackBuffer(platform::Rect{});  // a black display from the start
  return 1;
}

int FlipBuffers() {
  const bool open = ScreenOpen();
  if (open) {
    Display().drawingPending = false;
    if (Display().windowed) {
      PresentWindowed();
    } else {
      PresentFullScreen();
    }
  }
  platform::Clock().FrameBoundary();
  return open ? 1 : 0;
}

void ShowBackBuffer(const platform::Rect& dest) {
  const Surface& back = Display().backBuffer;
  if (back.Empty() || PixelWritesSkipped()) return;
  if (Display().depth == 16) {
    platform::Video().Present(Display().window, ConvertedBackBuffer(), back.Width(), back.Height(),
                              back.Width() * 4, dest);
  } else {
    platform::Video().Present(Display().window, reinterpret_cast<const std::uint32_t*>(back.Pixels()),
                              back.Width(), back.Height(), back.Pitch(), dest);
  }
}

void ClearScreen(std::uint32_t color) {
  Surface& back = Display().backBuffer;
  if (back.Empty() || PixelWritesSkipped()) return;
  const int red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
  const std::uint32_t value = ColorToPixel(red, green, blue);
  if (Display().depth == 16) {
    FillRows(back, static_cast<std::uint16_t>(value));
  } else {
    FillRows(back, value);
  }
  back.Touch();
}

DrawingTarget* ScreenTarget() {
  if (!ScreenOpen() || Display().drawingPending) return nullptr;
  Display().drawingPending = true;
  Display().target =
      DrawingTarget{&Display().backBuffer, Display().depth, Display().pixelFormat, EndScreenDrawing};
  return &Display().target;
}

int ScreenActive() {
  if (!ScreenOpen() || Display().held) return 0;
  if (Display().windowed) return platform::Video().FocusedWindow() == Display().window ? 1 : 0;
  return Display().active ? 1 : 0;
}

void SkipPixelWrites(bool skip) {
  Display().pixelWritesSkipped = skip;
}

bool PixelWritesSkipped() {
  return Display().pixelWritesSkipped;
}

void HoldScreen(bool held) {
  Display().held = held;
}

bool ScreenHeld() {
  return Display().held;
}

int ScreenWidth() {
  return Display().width;
}
int ScreenHeight() {
  return Display().height;
}
int ScreenDepth() {
  return Display().depth;
}
int ScreenPixelFormat() {
  return Display().pixelFormat;
}
Surface* BlitTarget() {
  return ScreenOpen() ? &Display().backBuffer : nullptr;
}
bool FullScreenInactive() {
  return ScreenOpen() && !Display().windowed && !Display().active;
}
std::uint32_t DisplayWindow() {
  return Display().window;
}
bool WindowedScreenOpen() {
  return ScreenOpen() && Display().windowed;
}
int SpritePixelsSaved() {
  return Display().pixelsSaved ? 1 : 0;
}

void HandleDisplayEvent(const platform::Event& event) {
  if (!ScreenOpen()) return;
  if (Display().windowed) {
    if (event.window == Display().window) RepaintWindowedScreen(event);
    return;
  }
  // Full screen: the close request is ignored, so only Escape ends the game.
  switch (event.type) {
    case EventType::FocusGained:
      if (event.window == Display().window) Activate();
      break;
    case EventType::FocusLost:
      if (event.window == Display().window) Deactivate();
      break;
    case EventType::DisplayChanged:  // another monitor may refresh at another rate
      ChooseFullScreenPacing();
      break;
    case EventType::KeyUp:
      if (event.scanCode == kKeyTab || event.scanCode == kKeyLeftAlt || event.scanCode == kKeyRightAlt) {
        MarkSpritePixelsSaved();
      }
      break;
    default:
      break;
  }
}

int SetFrameRate(int rate) {
  const std::uint64_t frequency = platform::Clock().CounterFrequency();
  if (frequency == 0) return 0;
  Display().automaticRate = false;
  Display().frameRate = rate;
  // A rate of n gives frames just over 1/(n + 1) s apart, as the timer always has.
  Display().timer.Start(static_cast<std::int64_t>(frequency) / (static_cast<std::int64_t>(rate) + 1));
  return 1;
}

void UseAutomaticFrameRate(int rate) {
  // The browser paces frames itself, one per display refresh.
  if (platform::Clock().PacesFrames()) return;
  if (Display().frameRate != 0) {
    Display().automaticRate = false;
    return;
  }
  SetFrameRate(rate);
  Display().automaticRate = true;
}

int WaitFrameTick() {
  return Display().timer.Wait() ? 1 : 0;
}

}  // namespace rt

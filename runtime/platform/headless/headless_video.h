// The headless machine's desktop: its windows, the focus among them, and every presented frame,
// counted and, when asked for, kept whole.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessPlatform;

struct HeadlessWindow {
  WindowId id = 0;
  std::string title;
  bool decorated = true;
  bool visible = true;
  bool fullScreen = false;
  Rect outer, client;                 // desktop coordinates
  int iconWidth = 0, iconHeight = 0;  // 0 until an icon is set
  int presents = 0;
};

struct PresentedFrame {
  WindowId window = 0;
  int width = 0, height = 0;
  Rect dest;
  int frame = 0;                      // the machine's FrameCount() when it was shown
  std::uint64_t hash = 0;             // FNV-1a over the 0x00RRGGBB pixel values, row after row
  std::vector<std::uint32_t> pixels;  // width * height, row after row
};

// FNV-1a of the pixels as PresentedFrame::hash computes it, for expected pictures built in a test.
std::uint64_t HashPixels(const std::uint32_t* pixels, int width, int height, int pitchBytes);

class HeadlessVideo final : public VideoFacet {
 public:
  explicit HeadlessVideo(HeadlessPlatform& machine) : machine_(machine) {}
  bool DesktopMode(int& width, int& height, int& depth) override;
  WindowId CreateWindow(const WindowDesc& desc) override;
  WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(WindowId window) override;
  void ShowWindow(WindowId window, bool visible) override;
  void SetWindowTitle(WindowId window, const std::string& title) override;
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override;
  WindowId FocusedWindow() override { return focused_; }
  int PresentRate(WindowId) override { return presentRate_; }
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override;

  // ---- The desktop (set before the runtime starts).
  void SetDesktop(int width, int height, int depth);                  // 1920 x 1080 x 32 by default
  void SetDisplayAvailable(bool available) { display_ = available; }  // false: no desktop mode, no windows
  void SetWindowsFail(bool fail) { windowsFail_ = fail; }             // window creation fails
  void SetPresentRate(int hertz) { presentRate_ = hertz; }  // 60 by default; 0: presents do not wait

  // ---- Windows as the program left them.
  const HeadlessWindow* Window(WindowId id) const;
  std::vector<WindowId> Windows() const;  // the live windows, oldest first
  int WindowsCreated() const { return windowsCreated_; }

  // ---- What the player does to the windows.
  // Moves the focus, telling the window that loses it and the one that gains it (0: none has it).
  void Focus(WindowId window);
  void RestoreFocus();      // to the window that had it last, or else the newest one
  void Close();             // the close box of the focused window, or else of the newest one
  void Move(int x, int y);  // the focused (or newest) window's outer corner to (x, y), unless full screen

  // ---- Presented frames: all are counted; the last few are kept whole and hashed when asked for (none
  // by default, so that long replays copy nothing), and the callback, if any, sees each one whole.
  void SetKeptFrames(int count);
  void SetPresentCallback(std::function<void(const PresentedFrame&)> callback);
  const std::deque<PresentedFrame>& KeptFrames() const { return kept_; }
  const PresentedFrame* LastFrame() const { return kept_.empty() ? nullptr : &kept_.back(); }
  int PresentCount() const { return presentCount_; }

 private:
  HeadlessWindow* Find(WindowId id);
  WindowId AddWindow(HeadlessWindow window);
  WindowId TargetWindow() const;  // the focused window, else the newest one
  void Record(PresentedFrame frame);

  HeadlessPlatform& machine_;

  int desktopWidth_ = 1920, desktopHeight_ = 1080, desktopDepth_ = 32;
  bool display_ = true, windowsFail_ = false;
  // Decoration of titled windows around the client area: left, top, right, bottom insets.
  static constexpr Rect kFrame{4, 24, 4, 4};
  int presentRate_ = 60;

  std::map<WindowId, HeadlessWindow> windows_;
  WindowId nextId_ = 1;
  WindowId focused_ = 0, lastFocused_ = 0;
  int windowsCreated_ = 0;

  std::deque<PresentedFrame> kept_;
  std::size_t keptLimit_ = 0;
  int presentCount_ = 0;
  std::function<void(const PresentedFrame&)> presentCallback_;
};

}  // namespace rt::platform

// What the player's session shows over the game's picture on its way to the screen: a short notice
// ("Sound off"), a line under the game-over texts (the best score) and the ghost of a recorded round's
// craft. They are drawn into a copy, so the game's own picture, and every replay of it, stays as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/platform.h"

namespace pellaris::app {

// A picture drawn at half strength where its pixels are not 0 (the sprites' colour key).
struct Ghost {
  const std::uint32_t* pixels = nullptr;  // 0x00RRGGBB
  int width = 0, height = 0, pitchPixels = 0;
  int x = 0, y = 0;
};

// What to draw over a picture; empty texts and a ghost without pixels are not drawn.
struct Overlay {
  std::string_view notice;  // centred at the top
  std::string_view footer;  // centred under the game-over texts
  Ghost ghost;
};

class OverlayVideo : public rt::platform::VideoFacet {
 public:
  static constexpr int kNoticeTop = 4;
  static constexpr int kFooterTop = 260;  // below "Press Enter To Play Again" at 230

  explicit OverlayVideo(rt::platform::VideoFacet& machine) : machine_(machine) {}

  // Asked at every present, so what is drawn always belongs to the picture it is drawn on.
  void Show(std::function<Overlay()> overlay) { overlay_ = std::move(overlay); }

  void Present(rt::platform::WindowId window, const std::uint32_t* pixels, int width, int height,
               int pitchBytes, const rt::platform::Rect& dest) override;

  bool DesktopMode(int& width, int& height, int& depth) override {
    return machine_.DesktopMode(width, height, depth);
  }
  rt::platform::WindowId CreateWindow(const rt::platform::WindowDesc& desc) override {
    return machine_.CreateWindow(desc);
  }
  rt::platform::WindowId CreateFullScreenWindow(const std::string& title) override {
    return machine_.CreateFullScreenWindow(title);
  }
  void DestroyWindow(rt::platform::WindowId window) override { machine_.DestroyWindow(window); }
  void ShowWindow(rt::platform::WindowId window, bool visible) override {
    machine_.ShowWindow(window, visible);
  }
  void SetWindowTitle(rt::platform::WindowId window, const std::string& title) override {
    machine_.SetWindowTitle(window, title);
  }
  void SetWindowIcon(rt::platform::WindowId window, const std::uint32_t* pixels, int width,
                     int height) override {
    machine_.SetWindowIcon(window, pixels, width, height);
  }
  bool WindowGeometry(rt::platform::WindowId window, rt::platform::Rect& outer,
                      rt::platform::Rect& client) override {
    return machine_.WindowGeometry(window, outer, client);
  }
  rt::platform::WindowId FocusedWindow() override { return machine_.FocusedWindow(); }
  int PresentRate(rt::platform::WindowId window) override { return machine_.PresentRate(window); }

 private:
  rt::platform::VideoFacet& machine_;
  std::function<Overlay()> overlay_;
  std::vector<std::uint32_t> copy_;
};

// Draws the text in the runtime's font into 0x00RRGGBB pixels, centred on `top`'s row, each glyph
// pixel in `color` with a black shadow one pixel down and right; clipped to the picture.
void DrawCentredText(std::uint32_t* pixels, int width, int height, int top, std::string_view text,
                     std::uint32_t color);

}  // namespace pellaris::app

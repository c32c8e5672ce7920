// Texts of the player's session shown over the game's picture on its way to the screen: a short
// notice ("Sound off") and a line under the game-over texts (the best score). They are drawn into a
// copy, so the game's own picture, and every replay of it, stays as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/platform.h"

namespace pellaris::app {

// What to draw over a picture; empty texts are not drawn.
struct OverlayTexts {
  std::string_view notice;  // centred at the top
  std::string_view footer;  // centred under the game-over texts
};

class OverlayVideo : public rt::platform::VideoFacet {
 public:
  static constexpr int kNoticeTop = 4;
  static constexpr int kFooterTop = 260;  // below "Press Enter To Play Again" at 230

  explicit OverlayVideo(rt::platform::VideoFacet& machine) : machine_(machine) {}

  // Asked at every present, so the texts always belong to the picture they are drawn on.
  void ShowTexts(std::function<OverlayTexts()> texts) { texts_ = std::move(texts); }

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
  std::function<OverlayTexts()> texts_;
  std::vector<std::uint32_t> copy_;
};

// Draws the text in the runtime's font into 0x00RRGGBB pixels, centred on `top`'s row, each glyph
// pixel in `color` with a black shadow one pixel down and right; clipped to the picture.
void DrawCentredText(std::uint32_t* pixels, int width, int height, int top, std::string_view text,
                     std::uint32_t color);

}  // namespace pellaris::app

// What the player's session shows over the game's picture on its way to the screen: a short notice
// ("Sound off"), lines under the game-over texts (the best score, the board's rank) and the ghost of a
// recorded round's craft. They are drawn into a copy, so the game's own picture, and every replay of it,
// stays as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/platform/forwarding_facets.h"

namespace pellaris::play {

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
  std::string_view rank;    // centred under the footer
  Ghost ghost;
};

class OverlayVideo : public rt::platform::ForwardingVideo {
 public:
  static constexpr int kNoticeTop = 4;
  static constexpr int kFooterTop = 260;  // below "Press Enter To Play Again" at 230
  static constexpr int kRankTop = 290;    // below the best score

  using ForwardingVideo::ForwardingVideo;

  // Asked at every present, so what is drawn always belongs to the picture it is drawn on.
  void Show(std::function<Overlay()> overlay) { overlay_ = std::move(overlay); }

  void Present(rt::platform::WindowId window, const std::uint32_t* pixels, int width, int height,
               int pitchBytes, const rt::platform::Rect& dest) override;

 private:
  std::function<Overlay()> overlay_;
  std::vector<std::uint32_t> copy_;
};

// Draws the text in the runtime's font into 0x00RRGGBB pixels, centred on `top`'s row, each glyph
// pixel in `color` with a black shadow one pixel down and right; clipped to the picture.
void DrawCentredText(std::uint32_t* pixels, int width, int height, int top, std::string_view text,
                     std::uint32_t color);

}  // namespace pellaris::play

#include "app/overlay.h"

#include <algorithm>
#include <cstring>

#include "runtime/sprites/font.h"

namespace pellaris::app {

namespace {

constexpr std::uint32_t kTextGrey = 0xC8C8C8;  // the game's own status texts
constexpr std::uint32_t kShadow = 0x000000;

void DrawGlyphs(std::uint32_t* pixels, int width, int height, int left, int top, std::string_view text,
                std::uint32_t color) {
  const int rows = rt::FontHeight();
  for (unsigned char character : text) {
    const rt::FontGlyph glyph = rt::GlyphOf(character);
    for (int row = 0; row < rows; ++row) {
      const int y = top + row;
      if (y < 0 || y >= height) continue;
      for (int column = 0; column < glyph.advance && column < 32; ++column) {
        const int x = left + column;
        if ((glyph.rows[row] >> column & 1) != 0 && x >= 0 && x < width) {
          pixels[static_cast<std::size_t>(y) * width + x] = color;
        }
      }
    }
    left += glyph.advance;
  }
}

void DrawGhost(std::uint32_t* pixels, int width, int height, const Ghost& ghost) {
  for (int row = std::max(0, -ghost.y); row < ghost.height && ghost.y + row < height; ++row) {
    const std::uint32_t* from = ghost.pixels + static_cast<std::ptrdiff_t>(row) * ghost.pitchPixels;
    std::uint32_t* to = pixels + static_cast<std::ptrdiff_t>(ghost.y + row) * width;
    for (int column = std::max(0, -ghost.x); column < ghost.width && ghost.x + column < width; ++column) {
      if (from[column] == 0) continue;
      std::uint32_t& pixel = to[ghost.x + column];
      pixel = ((pixel & 0xFEFEFE) >> 1) + ((from[column] & 0xFEFEFE) >> 1);
    }
  }
}

}  // namespace

void DrawCentredText(std::uint32_t* pixels, int width, int height, int top, std::string_view text,
                     std::uint32_t color) {
  int textWidth = 0;
  for (unsigned char character : text) textWidth += rt::GlyphOf(character).advance;
  const int left = (width - textWidth) / 2;
  DrawGlyphs(pixels, width, height, left + 1, top + 1, text, kShadow);
  DrawGlyphs(pixels, width, height, left, top, text, color);
}

void OverlayVideo::Present(rt::platform::WindowId window, const std::uint32_t* pixels, int width, int height,
                           int pitchBytes, const rt::platform::Rect& dest) {
  const Overlay overlay = overlay_ ? overlay_() : Overlay{};
  if ((overlay.notice.empty() && overlay.footer.empty() && !overlay.ghost.pixels) || width <= 0 ||
      height <= 0) {
    next_.Present(window, pixels, width, height, pitchBytes, dest);
    return;
  }
  copy_.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(&copy_[static_cast<std::size_t>(y) * width],
                reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitchBytes,
                static_cast<std::size_t>(width) * 4);
  }
  if (overlay.ghost.pixels) DrawGhost(copy_.data(), width, height, overlay.ghost);
  DrawCentredText(copy_.data(), width, height, kNoticeTop, overlay.notice, kTextGrey);
  DrawCentredText(copy_.data(), width, height, kFooterTop, overlay.footer, kTextGrey);
  next_.Present(window, copy_.data(), width, height, width * 4, dest);
}

}  // namespace pellaris::app

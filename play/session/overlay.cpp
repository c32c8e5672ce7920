#include "play/session/overlay.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/sprites/font.h"

namespace pellaris::play {

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

// The ghost's rows or columns that fall on the picture's `size` ones, placed at `at`: in 64 bits, as
// a ghost may be placed anywhere.
struct Span {
  std::int64_t first, end;
};
Span OnPicture(int at, int ghostSize, int size) {
  return {std::max<std::int64_t>(0, -std::int64_t{at}),
          std::min<std::int64_t>(ghostSize, std::int64_t{size} - at)};
}

void DrawGhost(std::uint32_t* pixels, int width, int height, const Ghost& ghost) {
  const Span rows = OnPicture(ghost.y, ghost.height, height),
             columns = OnPicture(ghost.x, ghost.width, width);
  for (std::int64_t row = rows.first; row < rows.end; ++row) {
    const std::uint32_t* from = ghost.pixels + row * ghost.pitchPixels;
    std::uint32_t* to = pixels + (ghost.y + row) * width;
    for (std::int64_t column = columns.first; column < columns.end; ++column) {
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
  if ((overlay.notice.empty() && overlay.footer.empty() && overlay.rank.empty() && !overlay.ghost.pixels) ||
      width <= 0 || height <= 0) {
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
  DrawCentredText(copy_.data(), width, height, kRankTop, overlay.rank, kTextGrey);
  next_.Present(window, copy_.data(), width, height, width * 4, dest);
}

}  // namespace pellaris::play

#include "contact_sheet.h"

#include <algorithm>
#include <string>

namespace assetgen {

namespace {

constexpr Color kGround{48, 48, 52};
constexpr Color kLabel{200, 200, 190};
constexpr int kGap = 12;
constexpr int kLabelScale = 3;
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kLabelHeight = kGlyphHeight * kLabelScale;

// 3 x 5 digits 0 to 9 side by side, one space apart.
// clang-format off
constexpr const char* kDigitRows[kGlyphHeight] = {
    "### .#. ### ### #.# ### ### ### ### ###",
    "#.# ##. ..# ..# #.# #.. #.. ..# #.# #.#",
    "#.# .#. ### .## ### ### ### ..# ### ###",
    "#.# .#. #.. ..# ..# ..# #.# .#. #.# ..#",
    "### ### ### ### ..# ### ### .#. ### ###",
};
// clang-format on

void FillBlock(Picture& sheet, int left, int top, int size, Color color) {
  for (int y = top; y < top + size && y < sheet.height; ++y) {
    for (int x = left; x < left + size && x < sheet.width; ++x) sheet.At(x, y) = color;
  }
}

void DrawNumber(Picture& sheet, int number, int left, int top) {
  const std::string text = std::to_string(number);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int digit = text[i] - '0';
    const int glyphLeft = left + static_cast<int>(i) * (kGlyphWidth + 1) * kLabelScale;
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (kDigitRows[row][digit * (kGlyphWidth + 1) + column] != '#') continue;
        FillBlock(sheet, glyphLeft + column * kLabelScale, top + row * kLabelScale, kLabelScale, kLabel);
      }
    }
  }
}

void DrawEnlarged(Picture& sheet, const Picture& picture, int scale, int left, int top) {
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x)
      FillBlock(sheet, left + x * scale, top + y * scale, scale, picture.At(x, y));
  }
}

struct Placement {
  int left = 0, top = 0;
};

// Lays the items out in rows, left to right; returns each item's corner and the sheet's height.
std::vector<Placement> FlowLayout(const std::vector<SheetItem>& items, int scale, int sheetWidth,
                                  int& height) {
  std::vector<Placement> placements;
  int x = kGap, y = kGap, rowHeight = 0;
  for (const SheetItem& item : items) {
    const int width = item.picture->width * scale;
    const int cellHeight = kLabelHeight + 6 + item.picture->height * scale;
    if (x > kGap && x + width + kGap > sheetWidth) {
      x = kGap;
      y += rowHeight + kGap;
      rowHeight = 0;
    }
    placements.push_back({x, y});
    x += std::max(width, 4 * kGlyphWidth * kLabelScale) + kGap;
    rowHeight = std::max(rowHeight, cellHeight);
  }
  height = y + rowHeight + kGap;
  return placements;
}

}  // namespace

Picture MakeContactSheet(const std::vector<SheetItem>& items, int scale, int sheetWidth) {
  int height = 0;
  const std::vector<Placement> placements = FlowLayout(items, scale, sheetWidth, height);
  Picture sheet(sheetWidth, height, kGround);
  for (std::size_t i = 0; i < items.size(); ++i) {
    DrawNumber(sheet, items[i].number, placements[i].left, placements[i].top);
    DrawEnlarged(sheet, *items[i].picture, scale, placements[i].left, placements[i].top + kLabelHeight + 6);
  }
  return sheet;
}

}  // namespace assetgen

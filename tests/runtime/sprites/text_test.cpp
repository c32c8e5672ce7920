#include <climits>
#include <cstdint>
#include <string>

#include "runtime/sprites/font.h"
#include "tests/runtime/sprites/drawing_fixture.h"

namespace rt::test {
namespace {

using TextTest = DrawingTest;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr std::uint32_t kWhitePixel = 0x00FFFFFF;
constexpr std::uint32_t kBluePixel = 0x000000FF;

const char* const kGameTexts[] = {"Score: 12345",
                                  "Remaining Time: 01:23",
                                  "WARNING!",
                                  "GAME PAUSED",
                                  "Time is over. Your Score is 500",
                                  "Press Enter To Play Again",
                                  "Special Thanks To tolvik & Halvard"};

TEST_F(TextTest, WidthIsZeroWithoutDrawingOrText) {
  EXPECT_EQ(TextWidth("Score: 0"), 0);
  DrawingCanvas canvas(8, 8, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(TextWidth(""), 0);
  EXPECT_EQ(TextWidth(nullptr), 0);
  EXPECT_GT(TextWidth("Score: 0"), 0);
}

TEST_F(TextTest, DrawingReturnsTheXJustAfterTheMeasuredText) {
  DrawingCanvas canvas(640, 400, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  int y = 0;
  for (const char* text : kGameTexts) {
    const int width = TextWidth(text);
    EXPECT_EQ(DrawTextAt(17, y, text, kWhite, 0), 17 + width) << text;
    EXPECT_EQ(DrawTextAt(-50, y + 20, text, kWhite, 0), -50 + width) << text;
    y += 40;
  }
}

TEST_F(TextTest, GameTextsFitTheScreenAtASystemFontSize) {
  DrawingCanvas canvas(640, 400, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_GE(FontHeight(), 14);
  EXPECT_LE(FontHeight(), 18);
  for (const char* text : kGameTexts) {
    EXPECT_GT(TextWidth(text), 5 * static_cast<int>(std::string(text).size())) << text;
    EXPECT_LT(TextWidth(text), 10 * static_cast<int>(std::string(text).size())) << text;
  }
}

TEST_F(TextTest, EmptyTextDrawsNothingAndReturnsX) {
  DrawingCanvas canvas(64, 32, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(DrawTextAt(10, 20, "", kWhite, kBlue), 10);
  EXPECT_EQ(DrawTextAt(11, 2, nullptr, kWhite, kBlue), 11);
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 64 * 32);
}

TEST_F(TextTest, OpaqueTextFillsItsCellsWithTheBackColour) {
  DrawingCanvas canvas(120, 40, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  const int end = DrawTextAt(5, 3, "Ag#", kWhite, kBlue);
  int glyphPixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const std::uint32_t pixel = PixelAt(canvas.surface(), x, y);
      if (x >= 5 && x < end && y >= 3 && y < 3 + FontHeight()) {
        EXPECT_TRUE(pixel == kWhitePixel || pixel == kBluePixel) << x << "," << y;
        glyphPixels += pixel == kWhitePixel;
      } else {
        EXPECT_EQ(pixel, 0u) << x << "," << y;
      }
    }
  }
  EXPECT_GT(glyphPixels, 30);
}

TEST_F(TextTest, TransparentTextDrawsOnlyTheGlyphs) {
  DrawingCanvas opaque(120, 40, 32);
  ASSERT_EQ(BeginDrawing(opaque.target()), 1);
  DrawTextAt(5, 3, "WARNING!", kWhite, kBlue);
  EndDrawing();

  DrawingCanvas transparent(120, 40, 32);
  FillSurface(transparent.surface(), 0x00404040);
  ASSERT_EQ(BeginDrawing(transparent.target()), 1);
  SetDrawingMode(DrawingModeTransparentText);
  DrawTextAt(5, 3, "WARNING!", kWhite, kBlue);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const bool glyph = PixelAt(opaque.surface(), x, y) == kWhitePixel;
      EXPECT_EQ(PixelAt(transparent.surface(), x, y), glyph ? kWhitePixel : 0x00404040u) << x << "," << y;
    }
  }
}

TEST_F(TextTest, TextIsARowOfCharacterCells) {
  const std::string text = "Time is over. Your Score is -500";
  DrawingCanvas whole(320, 20, 32);
  ASSERT_EQ(BeginDrawing(whole.target()), 1);
  DrawTextAt(2, 1, text.c_str(), kWhite, kBlue);
  EndDrawing();

  DrawingCanvas pieces(320, 20, 32);
  ASSERT_EQ(BeginDrawing(pieces.target()), 1);
  int x = 2;
  for (const char c : text) x = DrawTextAt(x, 1, std::string(1, c).c_str(), kWhite, kBlue);
  EXPECT_EQ(x, 2 + TextWidth(text.c_str()));
  EXPECT_TRUE(SameAsWindowOf(pieces.surface(), whole.surface(), 0, 0));
}

TEST_F(TextTest, CharactersOutsidePrintableAsciiShareOneVisibleCell) {
  DrawingCanvas canvas(64, 20, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(TextWidth("\t"), TextWidth("\xE9"));
  EXPECT_GT(TextWidth("\t"), 0);
  DrawTextAt(0, 0, "\x7F", kWhite, 0);
  EXPECT_GT(CountPixels(canvas.surface(), kWhitePixel), 0);
}

TEST_F(TextTest, EveryPrintableCharacterHasInkInsideItsCell) {
  for (int c = '!'; c <= '~'; ++c) {
    const FontGlyph glyph = GlyphOf(static_cast<unsigned char>(c));
    ASSERT_GT(glyph.advance, 0) << c;
    ASSERT_LE(glyph.advance, 32) << c;
    const std::uint32_t inside = glyph.advance == 32 ? ~0u : (1u << glyph.advance) - 1;
    std::uint32_t ink = 0;
    for (int row = 0; row < FontHeight(); ++row) {
      EXPECT_EQ(glyph.rows[row] & ~inside, 0u) << char(c) << " row " << row;
      ink |= glyph.rows[row];
    }
    EXPECT_NE(ink, 0u) << char(c);
  }
  EXPECT_GT(GlyphOf(' ').advance, 0);
}

TEST_F(TextTest, ColoursUseTheSurfacesLayoutAndTheirLowThreeBytes) {
  DrawingCanvas canvas(100, 20, 16, PixelFormat565);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  DrawTextAt(0, 0, "W", 0xFF0000, 0x0000FF);  // blue on red
  const int width = TextWidth("W");
  EXPECT_EQ(CountPixels(canvas.surface(), 0x001F) + CountPixels(canvas.surface(), 0xF800),
            width * FontHeight());
  EXPECT_GT(CountPixels(canvas.surface(), 0x001F), 0);

  DrawingCanvas wide(100, 20, 32);
  ASSERT_EQ(BeginDrawing(wide.target()), 1);
  SetDrawingMode(DrawingModeTransparentText);
  DrawTextAt(0, 0, "WARNING!", 420 + 256 * 20 + 65536 * 20, 0);  // the warning's brightest red
  EXPECT_GT(CountPixels(wide.surface(), 0x00A41514), 0);
  EXPECT_EQ(CountPixels(wide.surface(), 0x00A41514) + CountPixels(wide.surface(), 0), 100 * 20);
}

TEST_F(TextTest, TextIsClippedAtEveryEdge) {
  constexpr int kMargin = 300;
  for (const int mode : {0, DrawingModeTransparentText}) {
    for (const int depth : {32, 16}) {
      const int format = depth == 16 ? PixelFormat565 : PixelFormat32RedHigh;
      const auto draw = [mode](int dx, int dy) {
        SetDrawingMode(mode);
        DrawTextAt(dx - 30, dy - 7, "Remaining Time: 01:23", 0xC8C8C8, kBlue);
        DrawTextAt(dx + 20, dy + 12, "Press Enter To Play Again", kWhite, 0x00FF00);
        DrawTextAt(dx - 200, dy + 3, "Score: 12345", kWhite, 0x0000FF);
        DrawTextAt(dx + 59, dy - 15, "gjpqy", kWhite, 0x0000FF);
      };
      DrawingCanvas small(60, 20, depth, format);
      ASSERT_EQ(BeginDrawing(small.target()), 1);
      draw(0, 0);
      EndDrawing();
      DrawingCanvas large(60 + 2 * kMargin, 20 + 2 * kMargin, depth, format);
      ASSERT_EQ(BeginDrawing(large.target()), 1);
      draw(kMargin, kMargin);
      EndDrawing();
      EXPECT_TRUE(SameAsWindowOf(small.surface(), large.surface(), kMargin, kMargin));
      EXPECT_TRUE(small.PaddingIntact());
    }
  }
}

TEST_F(TextTest, FarAwayTextDrawsNothingAndSaturatesItsEnd) {
  DrawingCanvas canvas(16, 16, 32);
  ASSERT_EQ(BeginDrawing(canvas.target()), 1);
  EXPECT_EQ(DrawTextAt(INT_MAX - 3, 0, "Score", kWhite, kBlue), INT_MAX);
  EXPECT_EQ(DrawTextAt(INT_MIN, INT_MIN, "Score", kWhite, kBlue), INT_MIN + TextWidth("Score"));
  EXPECT_EQ(DrawTextAt(0, INT_MAX, "Score", kWhite, kBlue), TextWidth("Score"));
  EXPECT_EQ(CountPixels(canvas.surface(), 0), 256);
}

}  // namespace
}  // namespace rt::test

// Draws the game's texts and the whole character set with the runtime's own drawing on a 640 x 400
// screen-sized surface, enlarged by a whole factor, into a PNG: the way to judge the font by eye.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/display/pixel_format.h"
#include "runtime/display/surface.h"
#include "runtime/sprites/drawing.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

void DrawCentred(int y, const char* text, std::uint32_t color, std::uint32_t back) {
  rt::DrawTextAt((kWidth - rt::TextWidth(text)) / 2, y, text, color, back);
}

void DrawSampleScreen() {
  rt::DrawBox(0, 350, kWidth, 50, 0x461414);
  rt::DrawLine(0, 350, kWidth, 1, 0x643232);
  rt::DrawTextAt(0, 0, "Score: 12345", 0xC8C8C8, 0);
  const char* time = "Remaining Time: 01:23";
  rt::DrawTextAt(kWidth - rt::TextWidth(time), 0, time, 0xC8C8C8, 0);
  DrawCentred(40, " !\"#$%&'()*+,-./0123456789:;<=>?@", 0xFFFFFF, 0);
  DrawCentred(60, "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`", 0xFFFFFF, 0);
  DrawCentred(80, "abcdefghijklmnopqrstuvwxyz{|}~", 0xFFFFFF, 0);
  DrawCentred(105, "Special Thanks To tolvik & Halvard", 0xFFFFFF, 0);
  DrawCentred(130, "Press Enter To Start", 0x000000, 0xFFFFFF);
  rt::SetDrawingMode(rt::DrawingModeTransparentText);
  DrawCentred(200, "WARNING!", 0x1414DC, 0);
  rt::SetDrawingMode(0);
  DrawCentred(230, "GAME PAUSED", 0xFFFFFF, 0);
  DrawCentred(260, "Time is over. Your Score is 500", 0xFFFFFF, 0);
  DrawCentred(290, "Press Enter To Play Again", 0xFFFFFF, 0);
}

bool WritePng(const char* path, const rt::Surface& surface, int scale) {
  const int width = surface.Width() * scale, height = surface.Height() * scale;
  std::vector<png_byte> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = surface.RowAs<std::uint32_t>(y / scale);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = row[x / scale];
      rgb.insert(rgb.end(), {static_cast<png_byte>(pixel >> 16), static_cast<png_byte>(pixel >> 8),
                             static_cast<png_byte>(pixel)});
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: pellaris-fontpreview <output.png> [scale]\n");
    return 2;
  }
  const int scale = argc == 3 ? std::atoi(argv[2]) : 2;
  if (scale < 1 || scale > 8) return 2;
  rt::Surface surface(kWidth, kHeight, 32);
  rt::DrawingTarget target{&surface, 32, rt::PixelFormat32RedHigh, nullptr};
  rt::InitDrawing();
  if (!rt::BeginDrawing(&target)) return 1;
  DrawSampleScreen();
  rt::EndDrawing();
  return WritePng(argv[1], surface, scale) ? 0 : 1;
}

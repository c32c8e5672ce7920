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
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, surface.Width() * scale, surface.Height() * scale, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> line(static_cast<std::size_t>(surface.Width()) * scale * 3);
    for (int y = 0; y < surface.Height(); ++y) {
      const std::uint32_t* row = surface.RowAs<std::uint32_t>(y);
      for (int x = 0; x < surface.Width() * scale; ++x) {
        const std::uint32_t pixel = row[x / scale];
        line[3 * x] = static_cast<png_byte>(pixel >> 16);
        line[3 * x + 1] = static_cast<png_byte>(pixel >> 8);
        line[3 * x + 2] = static_cast<png_byte>(pixel);
      }
      for (int repeat = 0; repeat < scale; ++repeat) png_write_row(png, line.data());
    }
    png_write_end(png, info);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
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

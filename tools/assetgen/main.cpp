// Writes the game's pictures and sounds into the repository, plus the window icon and the contact
// sheet of the pictures:  pellaris-assetgen <repository root>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bonus_art.h"
#include "contact_sheet.h"
#include "craft_art.h"
#include "effect_art.h"
#include "formats.h"
#include "logo_art.h"
#include "quantize.h"
#include "rock_art.h"
#include "sound_art.h"

namespace assetgen {
namespace {

namespace fs = std::filesystem;

enum class Format { Bmp8, PngIndexed, PngTruecolor };

struct PictureFile {
  int number;
  std::string name;
  Format format;
  Picture picture;
  Color background = kBlack;
};

struct RockSize {
  int width, height;
};

// Frame sizes of the ten rock steps, sprites 2 to 11.
constexpr RockSize kRockSizes[kRockSteps] = {{18, 20}, {17, 20}, {19, 20}, {19, 20}, {19, 20},
                                             {17, 20}, {18, 20}, {19, 19}, {17, 20}, {19, 20}};

std::string Numbered(const char* prefix, int number, const char* stem) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s%03d_%s", prefix, number, stem);
  return buffer;
}

std::vector<PictureFile> DrawPictures() {
  std::vector<PictureFile> files;
  files.push_back({0, "craft", Format::PngIndexed, DrawCraft()});
  for (int step = 0; step < kRockSteps; ++step) {
    files.push_back(
        {2 + step, "rock", Format::Bmp8, DrawRock(step, kRockSizes[step].width, kRockSizes[step].height)});
  }
  for (int step = 0; step < kBurstSteps; ++step)
    files.push_back({12 + step, "burst", Format::Bmp8, DrawBurst(step)});
  files.push_back({16, "fifty", Format::PngIndexed, DrawFifty(), kPopupGround});
  files.push_back({17, "stopwatch", Format::PngTruecolor, DrawStopwatch()});
  files.push_back({18, "skull", Format::PngTruecolor, DrawSkull()});
  files.push_back({19, "stop", Format::PngTruecolor, DrawStopSign()});
  files.push_back({99, "logo", Format::PngIndexed, DrawLogo()});
  for (int step = 0; step < kSparkSteps; ++step) {
    files.push_back({100 + step, "spark", Format::PngTruecolor, DrawSpark(step)});
  }
  return files;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Picture Expand(const IndexedPicture& indexed) {
  Picture picture(indexed.width, indexed.height, kBlack);
  for (std::size_t i = 0; i < indexed.indices.size(); ++i)
    picture.pixels[i] = indexed.palette[indexed.indices[i]];
  return picture;
}

// Encodes a picture; `shown` becomes exactly the pixels the file holds, for the contact sheet.
Bytes Encode(PictureFile& file) {
  switch (file.format) {
    case Format::Bmp8:
    case Format::PngIndexed: {
      const IndexedPicture indexed = Quantize(file.picture, file.background);
      file.picture = Expand(indexed);
      return file.format == Format::Bmp8 ? EncodeBmp8(indexed) : EncodePngIndexed(indexed);
    }
    case Format::PngTruecolor:
      return EncodePngTruecolor(file.picture, true);
  }
  return {};
}

const char* Extension(Format format) {
  return format == Format::Bmp8 ? ".bmp" : ".png";
}

// The window icon: the craft centred on a 32 x 32 square, as raw red, green, blue bytes.
Bytes WindowIcon(const Picture& craft) {
  constexpr int kIconSize = 32;
  Bytes rgb(kIconSize * kIconSize * 3, 0);
  const int left = (kIconSize - craft.width) / 2;
  const int top = (kIconSize - craft.height) / 2;
  for (int y = 0; y < craft.height; ++y) {
    for (int x = 0; x < craft.width; ++x) {
      const Color& c = craft.At(x, y);
      const std::size_t at = static_cast<std::size_t>(((top + y) * kIconSize + left + x) * 3);
      rgb[at] = c.r;
      rgb[at + 1] = c.g;
      rgb[at + 2] = c.b;
    }
  }
  return rgb;
}

void Generate(const fs::path& root) {
  const fs::path images = root / "assets" / "images";
  const fs::path sounds = root / "assets" / "sounds";
  fs::create_directories(images);
  fs::create_directories(sounds);
  fs::create_directories(root / "docs");

  WriteFile(sounds / "sound0_shot.wav", EncodeWav(MakeShot()));
  WriteFile(sounds / "sound1_explosion.wav", EncodeWav(MakeExplosion()));
  WriteFile(sounds / "sound2_hit.wav", EncodeWav(MakeHit()));

  std::vector<PictureFile> pictures = DrawPictures();
  std::vector<SheetItem> sheet;
  for (PictureFile& file : pictures) {
    WriteFile(images / (Numbered("sprite", file.number, file.name.c_str()) + Extension(file.format)),
              Encode(file));
  }
  for (const PictureFile& file : pictures) sheet.push_back({file.number, &file.picture});
  WriteFile(images / "window_icon.rgb", WindowIcon(pictures.front().picture));
  WriteFile(root / "docs" / "assets.png", EncodePngTruecolor(MakeContactSheet(sheet, 4, 1000), false));
}

}  // namespace
}  // namespace assetgen

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: pellaris-assetgen <repository root>\n";
    return 2;
  }
  try {
    assetgen::Generate(argv[1]);
  } catch (const std::exception& error) {
    std::cerr << "pellaris-assetgen: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

// The game's pictures and sounds, carried inside the program as complete WAV, BMP and PNG file
// images, each under the sound or sprite number the game loads it as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pellaris::assets {

struct AssetImage {
  int number;                 // sound or sprite number
  const unsigned char* data;  // the whole file, 16-byte aligned
  std::size_t length;         // in bytes
};

// Sounds 0 (shot), 1 (explosion), 2 (hit), in that order.
std::span<const AssetImage> SoundImages();
// Every picture in loading order: the title logo 99, the sparks 100 to 103, the craft 0, then
// 2 to 19 (rocks, burst, score pop-up, bonuses).
std::span<const AssetImage> PictureImages();
// The first part of that order, loaded before the starfield sprite is made: 99, 100..103, 0.
std::span<const AssetImage> PicturesBeforeStarfield();
// The rest: 2 to 19.
std::span<const AssetImage> PicturesAfterStarfield();

struct IconImage {
  const std::uint32_t* pixels;  // 0x00RRGGBB, rows top to bottom; 0 is transparent
  int width;
  int height;
};

// The window icon: the craft centred on a 32 x 32 square.
IconImage WindowIcon();

}  // namespace pellaris::assets

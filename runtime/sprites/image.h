// Image loading: turns a complete BMP or PNG file image held in memory into a sprite in the screen's
// pixel format. BMP is read here; every other format goes through the registered decoders.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/object_table.h"

namespace rt {

// Images larger than this are refused before anything is allocated for them.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 24;

// Loads the image of `length` bytes at `data` as sprite `number` (the old sprite of that number is
// freed first). Non-zero on success (the handle for number -1), 0 for an unknown, truncated or
// malformed image or one the screen cannot take. Never reads past `length`.
ObjectNumber LoadSpriteFromMemory(ObjectNumber number, const void* data, std::size_t length, int mode = 0);

// Image decoder results of check().
enum ImageLayout : int {
  ImageNotMine = 0,
  ImageRows24 = 1,  // blue, green, red; rows width x 3 + (width & 3) bytes apart
  ImageRows32 = 2,  // blue, green, red, alpha; rows width x 4 bytes apart
};

// A decoder keeps the state of its last accepting check() for the width(), height() and decode()
// calls that follow it.
struct ImageDecoder {
  int (*check)(const std::uint8_t* data, std::size_t length);  // an ImageLayout
  // Writes the accepted image top row first, rows `stride` bytes apart; 1 on success, 0 when the
  // image turned out to be damaged.
  int (*decode)(std::uint8_t* buffer, std::size_t stride, int flags);
  int (*width)();
  int (*height)();
};

inline constexpr int kMaxImageDecoders = 100;

void ResetImageDecoders();
// 1 when appended, 0 when the table is full.
int RegisterImageDecoder(const ImageDecoder& decoder);
bool ImageDecoderRegistered(const ImageDecoder& decoder);
// The accepting decoder's check() result (and the decoder), or 0 when no decoder accepts.
int IdentifyImage(const std::uint8_t* data, std::size_t length, const ImageDecoder** accepted = nullptr);

}  // namespace rt

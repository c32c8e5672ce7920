// Encoders for the three file formats the game embeds: 8-bit Windows bitmaps, PNG (palette or
// truecolour, 8 bits per sample, not interlaced) and 16-bit mono PCM WAV at 22050 Hz; the last two
// through the shared writers.
#pragma once

#include <cstdint>
#include <vector>

#include "quantize.h"
#include "raster.h"

namespace assetgen {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kSampleRate = 22050;

// 14-byte file header, 40-byte info header, 256-entry palette, bottom-up rows padded to 4 bytes.
Bytes EncodeBmp8(const IndexedPicture& picture);
// Colour type 3 with a full 256-entry PLTE and no tRNS.
Bytes EncodePngIndexed(const IndexedPicture& picture);
// Colour type 2; `srgb` adds the sRGB chunk with its gAMA and cHRM companions.
Bytes EncodePngTruecolor(const Picture& picture, bool srgb);
// RIFF/WAVE with a 16-byte PCM fmt chunk followed directly by the data chunk.
Bytes EncodeWav(const std::vector<std::int16_t>& samples);

}  // namespace assetgen

// The PNG decoder of the image loader, built on libpng. Every PNG comes out as 24-bit rows (palette,
// grey and RGB images) or 32-bit rows with alpha (grey or RGB with alpha), bytes blue, green, red
// (, alpha), 16-bit channels cut to their high byte, interlaced images combined into whole rows.
#pragma once

#include "runtime/sprites/image.h"

namespace rt {

// Adds the PNG decoder to the decoder table unless it is there already.
void EnablePngDecoder();

// The decoder record itself, for callers that decode without making a sprite.
const ImageDecoder& PngDecoder();

}  // namespace rt

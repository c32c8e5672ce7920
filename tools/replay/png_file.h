// Pictures the replay tool writes: a pass's back buffer as a PNG file.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/display/surface.h"

namespace pellaris::replay {

// Writes a 32-bit surface (0x00RRGGBB words) as an sRGB-marked RGB PNG; false when it cannot be written.
bool WritePng(const std::string& path, const rt::Surface& surface);

// "DIR/frame-000123.png": where --dump writes the picture of a pass.
std::string DumpName(const std::string& dir, std::int64_t pass);

}  // namespace pellaris::replay

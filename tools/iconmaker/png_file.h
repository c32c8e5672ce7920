// PNG files as 8-bit RGBA: read through libpng's simplified interface, written as an sRGB-marked RGBA
// PNG by the shared writer.
#pragma once

#include <optional>
#include <string>

#include "icon_layout.h"

namespace iconmaker {

// Any PNG libpng can read, converted to RGBA; nothing when the file is missing or not a PNG.
std::optional<Image> ReadPng(const std::string& path);

// An RGBA PNG; false when the file cannot be written.
bool WritePng(const std::string& path, const Image& image);

}  // namespace iconmaker

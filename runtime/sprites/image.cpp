#include "runtime/sprites/image.h"

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/core/byte_order.h"
#include "runtime/core/runtime_state.h"
#include "runtime/display/pixel_format.h"
#include "runtime/display/screen.h"
#include "runtime/sprites/sprite.h"

namespace rt {

namespace {

// Decoded rows, each pixel's bytes blue, green, red (then alpha or unused), or 8-bit palette indices,
// or 16-bit 5-5-5 values.
struct ImageRows {
  const std::uint8_t* data = nullptr;
  int width = 0, height = 0;
  int depth = 0;  // 8, 16, 24 or 32
  std::size_t stride = 0;
  bool bottomUp = false;  // BMP rows come bottom row first, decoder rows top row first

  // Row y of the picture, counted from the top.
  const std::uint8_t* Row(int y) const {
    const int stored = bottomUp ? height - 1 - y : y;
    return data + static_cast<std::size_t>(stored) * stride;
  }
};

bool WithinImageLimits(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

std::size_t Stride24(int width) {
  return static_cast<std::size_t>(width) * 3 + (width & 3);
}

// ---- BMP ----

constexpr std::size_t kBmpFieldsEnd = 34;
constexpr std::uint32_t kBmpRle8 = 1;
constexpr std::uint32_t kBmpRle4 = 2;

struct BmpHeader {
  std::size_t pixelOffset = 0;
  std::size_t paletteOffset = 0;
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  std::uint32_t compression = 0;

  bool Rle8() const { return bitsPerPixel == 8 && compression == kBmpRle8; }
  bool Rle4() const { return bitsPerPixel == 4 && compression == kBmpRle4; }
  // Every stored row is padded to a multiple of 4 bytes.
  std::size_t RowBytes() const { return (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4; }
  // Uncompressed rows must lie inside the file image in full.
  bool RowsInside(std::size_t length) const {
    return pixelOffset <= length && (length - pixelOffset) / RowBytes() >= static_cast<std::size_t>(height);
  }
  const std::uint8_t* StoredRow(const std::uint8_t* data, int y) const {
    return data + pixelOffset + static_cast<std::size_t>(y) * RowBytes();
  }
};

bool IsBmp(const std::uint8_t* data, std::size_t length) {
  return length >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool ReadBmpHeader(const std::uint8_t* data, std::size_t length, BmpHeader& header) {
  if (length < kBmpFieldsEnd) return false;
  header.pixelOffset = ReadLittle32(data + 10);
  header.paletteOffset = 14 + std::size_t{ReadLittle32(data + 14)};
  const auto width = static_cast<std::int32_t>(ReadLittle32(data + 18));
  // Rows are stored bottom-up; a negative height is not an image this reader takes.
  const auto height = static_cast<std::int32_t>(ReadLittle32(data + 22));
  if (!WithinImageLimits(width, height)) return false;
  header.width = width;
  header.height = height;
  header.bitsPerPixel = ReadLittle16(data + 28);
  header.compression = ReadLittle32(data + 30);
  switch (header.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return !header.Rle4();
    default:
      return false;
  }
}

struct Bgr {
  std::uint8_t blue = 0, green = 0, red = 0;
};
using Palette = std::array<Bgr, 256>;

// Entries are indexed directly by the pixel value; one lying outside the file image reads as black.
Palette ReadPalette(const std::uint8_t* data, std::size_t length, const BmpHeader& header) {
  Palette palette{};
  if (header.bitsPerPixel == 1) {
    // One-bit images are black and white whatever their palette says.
    palette[1] = Bgr{255, 255, 255};
    return palette;
  }
  for (std::size_t index = 0; index < palette.size(); ++index) {
    const std::size_t entry = header.paletteOffset + 4 * index;
    if (entry > length || length - entry < 3) break;
    palette[index] = Bgr{data[entry], data[entry + 1], data[entry + 2]};
  }
  return palette;
}

// Runs of palette indices from the bottom row up; pixels outside the image are dropped, and so are
// the pixels the stream never reaches (they stay as the caller filled them). False when the stream
// ends before its end-of-bitmap mark.
template <typename Put>
bool DecodeRle8(const std::uint8_t* data, std::size_t length, const BmpHeader& header, Put put) {
  if (header.pixelOffset > length) return false;
  const std::uint8_t* p = data + header.pixelOffset;
  const std::uint8_t* const end = data + length;
  std::int64_t x = 0, y = 0;
  auto emit = [&](int index) {
    if (x < header.width && y < header.height) put(static_cast<int>(x), static_cast<int>(y), index);
    ++x;
  };
  while (end - p >= 2) {
    const int count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) emit(value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (end - p < 2) return false;
      x += p[0];
      y += p[1];
      p += 2;
    } else {
      const int padded = value + (value & 1);
      if (end - p < padded) return false;
      for (int i = 0; i < value; ++i) emit(p[i]);
      p += padded;
    }
  }
  return false;
}

int IndexAt(const std::uint8_t* row, int x, int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
      return row[x >> 3] >> (7 - (x & 7)) & 1;
    case 4:
      return row[x >> 1] >> ((x & 1) ? 0 : 4) & 0xF;
    default:
      return row[x];
  }
}

// Calls put(x, y, index) for the stored pixels of a 1-, 4- or 8-bit image, y counted from the bottom.
template <typename Put>
bool VisitIndexedPixels(const std::uint8_t* data, std::size_t length, const BmpHeader& header, Put put) {
  if (header.Rle8()) return DecodeRle8(data, length, header, put);
  if (!header.RowsInside(length)) return false;
  for (int y = 0; y < header.height; ++y) {
    const std::uint8_t* row = header.StoredRow(data, y);
    for (int x = 0; x < header.width; ++x) put(x, y, IndexAt(row, x, header.bitsPerPixel));
  }
  return true;
}

// Indexed images become 24-bit rows (bottom-up, as stored) on every screen that is not 8-bit.
bool ExpandIndexedBmp(const std::uint8_t* data, std::size_t length, const BmpHeader& header,
                      std::vector<std::uint8_t>& buffer, ImageRows& rows) {
  const Palette palette = ReadPalette(data, length, header);
  rows.depth = 24;
  rows.stride = Stride24(header.width);
  buffer.assign(rows.stride * static_cast<std::size_t>(header.height), 0);
  std::uint8_t* const out = buffer.data();
  const std::size_t stride = rows.stride;
  return VisitIndexedPixels(data, length, header, [out, stride, &palette](int x, int y, int index) {
    std::uint8_t* pixel = out + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
    const Bgr& colour = palette[static_cast<std::size_t>(index)];
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
  });
}

// The palette indices themselves, for 8-bit screens and plain-memory sprites.
bool ReadIndexRows(const std::uint8_t* data, std::size_t length, const BmpHeader& header,
                   std::vector<std::uint8_t>& buffer, ImageRows& rows) {
  if (header.bitsPerPixel != 8) return false;
  rows.depth = 8;
  rows.stride = static_cast<std::size_t>(header.width);
  buffer.assign(rows.stride * static_cast<std::size_t>(header.height), 0);
  std::uint8_t* const out = buffer.data();
  const std::size_t stride = rows.stride;
  return VisitIndexedPixels(data, length, header, [out, stride](int x, int y, int index) {
    out[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] =
        static_cast<std::uint8_t>(index);
  });
}

bool ReadBmp(const std::uint8_t* data, std::size_t length, int mode, std::vector<std::uint8_t>& buffer,
             ImageRows& rows) {
  BmpHeader header;
  if (!ReadBmpHeader(data, length, header)) return false;
  rows.width = header.width;
  rows.height = header.height;
  rows.bottomUp = true;
  if (header.bitsPerPixel <= 8) {
    const bool expand = ScreenDepth() != 8 && mode != SpriteModePlainMemory;
    const bool read = expand ? ExpandIndexedBmp(data, length, header, buffer, rows)
                             : ReadIndexRows(data, length, header, buffer, rows);
    rows.data = buffer.data();
    return read;
  }
  // 16, 24 and 32 bits are used straight from the file image.
  if (!header.RowsInside(length)) return false;
  rows.depth = header.bitsPerPixel;
  rows.stride = header.RowBytes();
  rows.data = data + header.pixelOffset;
  return true;
}

// ---- Registered decoders ----

struct DecoderTable : LibraryState {
  std::array<ImageDecoder, kMaxImageDecoders> decoders{};
  int count = 0;
};

DecoderTable& Decoders() {
  return PartOf<DecoderTable>(Runtime().images);
}

bool DecodeRegistered(const std::uint8_t* data, std::size_t length, std::vector<std::uint8_t>& buffer,
                      ImageRows& rows) {
  const ImageDecoder* decoder = nullptr;
  const int layout = IdentifyImage(data, length, &decoder);
  if (layout == ImageNotMine) return false;
  rows.width = decoder->width();
  rows.height = decoder->height();
  if (!WithinImageLimits(rows.width, rows.height)) return false;
  rows.depth = layout == ImageRows32 ? 32 : 24;
  rows.stride = layout == ImageRows32 ? static_cast<std::size_t>(rows.width) * 4 : Stride24(rows.width);
  rows.bottomUp = false;
  // Zero-filled, so rows a decoder leaves alone are black rather than undefined.
  buffer.assign(rows.stride * static_cast<std::size_t>(rows.height), 0);
  rows.data = buffer.data();
  return decoder->decode(buffer.data(), rows.stride, 0) != 0;
}

// ---- Writing pixels in the surface's format ----

std::uint16_t To16BitPixel(const ImageRows& rows, const std::uint8_t* source, int x, bool fiveFiveFive) {
  if (rows.depth == 16) {
    const unsigned value = ReadLittle16(source + 2 * x);
    if (fiveFiveFive) return static_cast<std::uint16_t>(value);
    // 5-6-5 with green's lowest bit 0, so 0x7FFF becomes 0xFFDF.
    return static_cast<std::uint16_t>(((value >> 10 & 0x1F) << 11) + ((value >> 5 & 0x1F) << 6) +
                                      (value & 0x1F));
  }
  const std::uint8_t* p = source + static_cast<std::size_t>(x) * static_cast<std::size_t>(rows.depth / 8);
  // 15 bits is the 5-5-5 layout.
  return static_cast<std::uint16_t>(PackPixel(fiveFiveFive ? 15 : 16, PixelFormat565, p[2], p[1], p[0]));
}

void WriteRow16(const ImageRows& rows, const std::uint8_t* source, std::uint8_t* out, bool fiveFiveFive) {
  for (int x = 0; x < rows.width; ++x) {
    const std::uint16_t pixel = To16BitPixel(rows, source, x, fiveFiveFive);
    std::memcpy(out + 2 * x, &pixel, sizeof pixel);
  }
}

// 24- and 32-bit surfaces receive blue, green, red in their lowest bytes whatever the screen format.
void WriteRowTrueColour(const ImageRows& rows, const std::uint8_t* source, std::uint8_t* out, int outBytes,
                        bool keepAlpha) {
  for (int x = 0; x < rows.width; ++x, out += outBytes) {
    if (rows.depth == 16) {
      const unsigned value = ReadLittle16(source + 2 * x);
      out[0] = static_cast<std::uint8_t>((value & 0x1F) << 3);
      out[1] = static_cast<std::uint8_t>((value >> 5 & 0x1F) << 3);
      out[2] = static_cast<std::uint8_t>((value >> 10 & 0x1F) << 3);
      if (outBytes == 4) out[3] = 0;
      continue;
    }
    const std::uint8_t* p = source + static_cast<std::size_t>(x) * static_cast<std::size_t>(rows.depth / 8);
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    if (outBytes == 4) out[3] = keepAlpha ? p[3] : 0;
  }
}

bool WriteRows(const ImageRows& rows, Surface& surface, int pixelFormat, bool keepAlpha) {
  const int depth = surface.Depth();
  const bool indexed = rows.depth == 8;
  if ((depth == 8) != indexed) return false;
  for (int y = 0; y < rows.height; ++y) {
    const std::uint8_t* source = rows.Row(y);
    std::uint8_t* out = surface.Row(y);
    if (depth == 8) {
      std::memcpy(out, source, static_cast<std::size_t>(rows.width));
    } else if (depth == 16) {
      WriteRow16(rows, source, out, pixelFormat == PixelFormat555);
    } else {
      WriteRowTrueColour(rows, source, out, surface.BytesPerPixel(), keepAlpha && rows.depth == 32);
    }
  }
  return true;
}

bool LoadInto(Sprite& sprite, const std::uint8_t* data, std::size_t length, int mode) {
  std::vector<std::uint8_t> buffer;
  ImageRows rows;
  const bool decoded = IsBmp(data, length) ? ReadBmp(data, length, mode, buffer, rows)
                                           : DecodeRegistered(data, length, buffer, rows);
  if (!decoded || !CreateSpriteSurface(sprite, rows.width, rows.height, rows.depth, mode)) return false;
  // An alpha sprite keeps alpha only from 32-bit images; from others it is colour keyed as usual.
  const bool keepAlpha = !sprite.colorKeyed && rows.depth == 32;
  sprite.colorKeyed = !keepAlpha;
  if (!WriteRows(rows, sprite.surface, ScreenPixelFormat(), keepAlpha)) return false;
  sprite.surface.Touch();
  return true;
}

}  // namespace

ObjectNumber LoadSpriteFromMemory(ObjectNumber number, const void* data, std::size_t length, int mode) {
  ObjectNumber assigned = 0;
  Sprite* sprite = AllocateSprite(number, &assigned);
  if (!sprite) return 0;
  bool loaded = false;
  if (data) {
    try {
      loaded = LoadInto(*sprite, static_cast<const std::uint8_t*>(data), length, mode);
    } catch (const std::bad_alloc&) {
      loaded = false;
    }
  }
  if (!loaded) {
    FreeSprite(assigned);
    return 0;
  }
  return number == kAutomaticObject ? assigned : 1;
}

void ResetImageDecoders() {
  Runtime().images.reset();
}

int RegisterImageDecoder(const ImageDecoder& decoder) {
  DecoderTable& table = Decoders();
  if (table.count >= kMaxImageDecoders) return 0;
  table.decoders[static_cast<std::size_t>(table.count++)] = decoder;
  return 1;
}

bool ImageDecoderRegistered(const ImageDecoder& decoder) {
  const DecoderTable& table = Decoders();
  for (int i = 0; i < table.count; ++i) {
    const ImageDecoder& entry = table.decoders[static_cast<std::size_t>(i)];
    if (entry.check == decoder.check && entry.decode == decoder.decode && entry.width == decoder.width &&
        entry.height == decoder.height) {
      return true;
    }
  }
  return false;
}

int IdentifyImage(const std::uint8_t* data, std::size_t length, const ImageDecoder** accepted) {
  const DecoderTable& table = Decoders();
  for (int i = 0; i < table.count; ++i) {
    const ImageDecoder& decoder = table.decoders[static_cast<std::size_t>(i)];
    const int layout = decoder.check(data, length);
    if (layout != ImageNotMine) {
      if (accepted) *accepted = &decoder;
      return layout;
    }
  }
  return ImageNotMine;
}

}  // namespace rt

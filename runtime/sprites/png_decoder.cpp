#include "runtime/sprites/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstring>
#include <new>

#include "runtime/core/byte_order.h"
#include "runtime/core/runtime_state.h"

namespace rt {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// Ancillary chunks (profiles, texts) larger than this are refused before libpng sees them.
constexpr std::uint32_t kLargestAncillaryChunk = std::uint32_t{1} << 20;
// What libpng may hold at once for one image: its own records, a row or two and the inflate window
// need well under a megabyte even for the widest image, so a damaged or hostile file that asks
// for more fails instead of growing the process.
constexpr std::size_t kLibpngBudget = std::size_t{16} << 20;

struct MemoryReader {
  const std::uint8_t* data = nullptr;
  std::size_t length = 0;
  std::size_t position = 0;
};

struct PngHeader {
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
};

// What the last accepting check saw, for the width, height and decode calls that follow it.
struct AcceptedImage : LibraryState {
  const std::uint8_t* data = nullptr;
  std::size_t length = 0;
  PngHeader header;
};

AcceptedImage& Accepted() {
  return PartOf<AcceptedImage>(Runtime().png);
}

// Errors leave libpng by longjmp back to the frame that set the recovery point; nothing is printed.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// libpng's allocations, counted against the budget. Each block carries its size in front of it.
struct MemoryBudget {
  std::size_t used = 0;
};
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp AllocateCounted(png_structp png, png_alloc_size_t size) {
  auto* budget = static_cast<MemoryBudget*>(png_get_mem_ptr(png));
  if (size > kLibpngBudget - budget->used) return nullptr;
  auto* block = static_cast<std::uint8_t*>(::operator new(kBlockHeader + size, std::nothrow));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  budget->used += size;
  return block + kBlockHeader;
}

void FreeCounted(png_structp png, png_voidp memory) {
  if (!memory) return;
  auto* block = static_cast<std::uint8_t*>(memory) - kBlockHeader;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  static_cast<MemoryBudget*>(png_get_mem_ptr(png))->used -= size;
  ::operator delete(block);
}

bool IsChunk(const std::uint8_t* type, const char (&name)[5]) {
  return std::memcmp(type, name, 4) == 0;
}

// Walks the chunk list from the signature on, before libpng reads any of it: each chunk (length,
// type, data, checksum) must lie inside the bytes given, and an ancillary one must be small. The
// walk ends at the end chunk, or with `untilImageData` at the first image data chunk: the header
// check reads no further, and a cut-short image is the decode's to refuse.
bool ChunksFit(const std::uint8_t* data, std::size_t length, bool untilImageData) {
  constexpr std::size_t kChunkFrame = 12;  // length, type, checksum
  std::size_t offset = kSignatureBytes;
  while (length - offset >= kChunkFrame) {
    const std::uint32_t size = ReadBig32(data + offset);
    const std::uint8_t* type = data + offset + 4;
    if (untilImageData && IsChunk(type, "IDAT")) return true;
    const bool ancillary = (type[0] & 0x20) != 0;
    if (size > length - offset - kChunkFrame || (ancillary && size > kLargestAncillaryChunk)) return false;
    if (IsChunk(type, "IEND")) return true;
    offset += kChunkFrame + size;
  }
  return false;
}

// Never hands libpng a byte past the end of the image.
void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->length - reader->position) png_error(png, "image data ends early");
  std::memcpy(out, reader->data + reader->position, count);
  reader->position += count;
}

// One libpng read structure with its info structure.
class PngRead {
 public:
  PngRead()
      : png_(png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning, &budget_,
                                      AllocateCounted, FreeCounted)),
        info_(png_ ? png_create_info_struct(png_) : nullptr) {}
  ~PngRead() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngRead(const PngRead&) = delete;
  PngRead& operator=(const PngRead&) = delete;

  bool Ready() const { return png_ && info_; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  MemoryBudget budget_;  // declared first: libpng frees into it until the end
  png_structp png_;
  png_infop info_;
};

// The functions below run under libpng's recovery point, which an error reaches by longjmp: they
// hold only trivially destructible objects, so nothing is skipped that would need destroying.

void StartReading(png_structp png, png_infop info, MemoryReader* reader) {
  png_set_read_fn(png, reader, ReadFromMemory);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  // Texts, profiles and the like are skipped unread: nothing here needs them, and compressed ones
  // would otherwise be inflated.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);
}

void SetOutputTransforms(png_structp png, const PngHeader* header) {
  switch (header->colorType) {
    case PNG_COLOR_TYPE_PALETTE:
      // Palette transparency is dropped: palette images are 24-bit.
      png_set_palette_to_rgb(png);
      png_set_strip_alpha(png);
      break;
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      if (header->bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
      png_set_gray_to_rgb(png);
      break;
    default:
      break;
  }
  if (header->bitDepth == 16) png_set_strip_16(png);
  png_set_bgr(png);
}

int OutputChannels(const PngHeader* header) {
  return (header->colorType & PNG_COLOR_MASK_ALPHA) ? 4 : 3;
}

// Passes of an interlaced image land on the same rows, which libpng combines.
void ReadPasses(png_structp png, int passes, png_uint_32 height, std::uint8_t* buffer, std::size_t stride) {
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_bytep row = buffer + static_cast<std::size_t>(y) * stride;
      png_read_rows(png, &row, nullptr, 1);
    }
  }
}

bool ReadHeaderGuarded(png_structp png, png_infop info, MemoryReader* reader, PngHeader* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  StartReading(png, info, reader);
  png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colorType,
               &header->interlace, nullptr, nullptr);
  return true;
}

bool DecodeGuarded(png_structp png, png_infop info, MemoryReader* reader, const PngHeader* header,
                   std::uint8_t* buffer, std::size_t stride) {
  if (setjmp(png_jmpbuf(png))) return false;
  StartReading(png, info, reader);
  if (png_get_image_width(png, info) != header->width || png_get_image_height(png, info) != header->height) {
    return false;
  }
  SetOutputTransforms(png, header);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  // The rows must come out exactly as announced, or they would not fit the caller's buffer.
  if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != OutputChannels(header) ||
      png_get_rowbytes(png, info) > stride) {
    return false;
  }
  ReadPasses(png, passes, header->height, buffer, stride);
  // Reading on to the end chunk tells a complete image from one that was cut short.
  png_read_end(png, nullptr);
  return true;
}

int CheckPng(const std::uint8_t* data, std::size_t length) {
  if (!data || length < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) return ImageNotMine;
  if (!ChunksFit(data, length, true)) return ImageNotMine;
  PngRead read;
  if (!read.Ready()) return ImageNotMine;
  MemoryReader reader{data, length, 0};
  PngHeader header;
  if (!ReadHeaderGuarded(read.Png(), read.Info(), &reader, &header)) return ImageNotMine;
  if (std::int64_t{header.width} * header.height > kMaxImagePixels) return ImageNotMine;
  AcceptedImage& accepted = Accepted();
  accepted.data = data;
  accepted.length = length;
  accepted.header = header;
  return OutputChannels(&header) == 4 ? ImageRows32 : ImageRows24;
}

int DecodePng(std::uint8_t* buffer, std::size_t stride, int /*flags*/) {
  AcceptedImage& accepted = Accepted();
  const std::uint8_t* data = accepted.data;
  const PngHeader header = accepted.header;
  // One decode per accepting check: the image memory is the caller's and may not outlive it.
  accepted.data = nullptr;
  if (!data || !ChunksFit(data, accepted.length, false)) return 0;
  PngRead read;
  if (!read.Ready()) return 0;
  MemoryReader reader{data, accepted.length, 0};
  return DecodeGuarded(read.Png(), read.Info(), &reader, &header, buffer, stride) ? 1 : 0;
}

int PngWidth() {
  return static_cast<int>(Accepted().header.width);
}
int PngHeight() {
  return static_cast<int>(Accepted().header.height);
}

constexpr ImageDecoder kPngDecoder{CheckPng, DecodePng, PngWidth, PngHeight};

}  // namespace

const ImageDecoder& PngDecoder() {
  return kPngDecoder;
}

void EnablePngDecoder() {
  if (!ImageDecoderRegistered(kPngDecoder)) RegisterImageDecoder(kPngDecoder);
}

}  // namespace rt

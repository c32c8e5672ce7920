// A CPU pixel buffer: the screen's back buffer and every sprite are surfaces. Rows are padded to a
// 64-byte pitch so that row spans start aligned for vector loads and stores; the pixels start
// zero-filled (black).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace rt {

class Surface {
 public:
  Surface() = default;
  // depth is 32 (0x00RRGGBB or 0x00BBGGRR words), 16, 24 or 8 bits per pixel.
  Surface(int width, int height, int depth);

  bool Empty() const { return pixels_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Depth() const { return depth_; }
  int BytesPerPixel() const { return depth_ / 8; }
  int Pitch() const { return pitch_; }  // bytes from one row to the next

  std::uint8_t* Pixels() { return pixels_.get(); }
  const std::uint8_t* Pixels() const { return pixels_.get(); }
  std::uint8_t* Row(int y) { return pixels_.get() + static_cast<std::ptrdiff_t>(y) * pitch_; }
  const std::uint8_t* Row(int y) const { return pixels_.get() + static_cast<std::ptrdiff_t>(y) * pitch_; }
  template <typename Pixel>
  Pixel* RowAs(int y) {
    return reinterpret_cast<Pixel*>(Row(y));
  }
  template <typename Pixel>
  const Pixel* RowAs(int y) const {
    return reinterpret_cast<const Pixel*>(Row(y));
  }

  // Bumped by every change made through a pixel-writing path that caches derived data (opaque runs,
  // masks) must notice: loading, copying, drawing into the surface. Readers compare generations.
  std::uint64_t Generation() const { return generation_; }
  void Touch() { ++generation_; }

  Surface Clone() const;

 private:
  struct FreeAligned {
    void operator()(std::uint8_t* p) const;
  };
  std::unique_ptr<std::uint8_t[], FreeAligned> pixels_;
  int width_ = 0, height_ = 0, depth_ = 32, pitch_ = 0;
  std::uint64_t generation_ = 0;
};

}  // namespace rt

#include "runtime/display/surface.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace rt {

namespace {
constexpr int kRowAlignment = 64;
}

void Surface::FreeAligned::operator()(std::uint8_t* p) const { std::free(p); }

Surface::Surface(int width, int height, int depth) : width_(width), height_(height), depth_(depth) {
  if (width <= 0 || height <= 0) {
    width_ = height_ = 0;
    return;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>((depth + 7) / 8);
  pitch_ = static_cast<int>((rowBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment);
  const std::size_t bytes = static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height);
  void* memory = std::aligned_alloc(kRowAlignment, bytes);
  if (!memory) throw std::bad_alloc();
  std::memset(memory, 0, bytes);
  pixels_.reset(static_cast<std::uint8_t*>(memory));
}

Surface Surface::Clone() const {
  Surface copy(width_, height_, depth_);
  if (!Empty()) std::memcpy(copy.Pixels(), Pixels(), static_cast<std::size_t>(pitch_) * height_);
  return copy;
}

}  // namespace rt

#include "runtime/display/surface.h"

#include <cstring>
#include <new>

namespace rt {

namespace {
constexpr std::align_val_t kRowAlignment{64};
}

void Surface::FreeAligned::operator()(std::uint8_t* p) const {
  ::operator delete(p, kRowAlignment);
}

Surface::Surface(int width, int height, int depth) : width_(width), height_(height), depth_(depth) {
  if (width <= 0 || height <= 0) {
    width_ = height_ = 0;
    return;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>((depth + 7) / 8);
  const auto alignment = static_cast<std::size_t>(kRowAlignment);
  pitch_ = static_cast<int>((rowBytes + alignment - 1) / alignment * alignment);
  const std::size_t bytes = static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height);
  void* memory = ::operator new(bytes, kRowAlignment);
  std::memset(memory, 0, bytes);
  pixels_.reset(static_cast<std::uint8_t*>(memory));
}

Surface Surface::Clone() const {
  Surface copy(width_, height_, depth_);
  if (!Empty()) std::memcpy(copy.Pixels(), Pixels(), static_cast<std::size_t>(pitch_) * height_);
  return copy;
}

}  // namespace rt

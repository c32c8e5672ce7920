#include "tests/core/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
std::atomic<bool> failNext{false};

void Count() {
  allocations.fetch_add(1);
  if (failNext.exchange(false)) throw std::bad_alloc();
}
}  // namespace

namespace rt::test {
std::size_t AllocationCount() {
  return allocations.load();
}
void FailNextAllocation() {
  failNext.store(true);
}
}  // namespace rt::test

// Every other form of operator new ends up in these two.
void* operator new(std::size_t size) {
  Count();
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  Count();
  const auto align = static_cast<std::size_t>(alignment);
  if (void* memory = std::aligned_alloc(align, (size + align - 1) / align * align)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}

#include "tests/support/allocation_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
std::atomic<bool> failNext{false};
std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> base{0};

void Count() {
  allocations.fetch_add(1);
  if (failNext.exchange(false)) throw std::bad_alloc();
}

// Block sizes come from the allocator itself, so a release subtracts what its allocation added.
void* Hold(void* memory) {
  if (!memory) throw std::bad_alloc();
  const std::size_t now = held.fetch_add(malloc_usable_size(memory)) + malloc_usable_size(memory);
  std::size_t highest = peak.load();
  while (now > highest && !peak.compare_exchange_weak(highest, now)) {
  }
  return memory;
}

void Release(void* memory) {
  if (memory) held.fetch_sub(malloc_usable_size(memory));
  std::free(memory);
}
}  // namespace

namespace rt::test {
std::size_t AllocationCount() {
  return allocations.load();
}
void FailNextAllocation() {
  failNext.store(true);
}
void StartPeakMeasurement() {
  base.store(held.load());
  peak.store(held.load());
}
std::size_t PeakBytesSinceStart() {
  return peak.load() - base.load();
}
}  // namespace rt::test

// The array forms end up in these.
void* operator new(std::size_t size) {
  Count();
  return Hold(std::malloc(size ? size : 1));
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  Count();
  const auto align = static_cast<std::size_t>(alignment);
  return Hold(std::aligned_alloc(align, (size + align - 1) / align * align));
}
// The nothrow forms too: a library's own operator new would not pair with the delete below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  try {
    return operator new(size, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* memory) noexcept {
  Release(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  Release(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  Release(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  Release(memory);
}

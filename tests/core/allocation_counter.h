// Counts the program's calls of operator new (the replacement lives in allocation_counter.cpp).
#pragma once

#include <cstddef>

namespace rt::test {

std::size_t AllocationCount();
// Makes the next call of operator new throw std::bad_alloc.
void FailNextAllocation();

}  // namespace rt::test

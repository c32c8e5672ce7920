// Counts the program's calls of operator new (the replacement lives in allocation_counter.cpp).
#pragma once

#include <cstddef>

namespace rt::test {

std::size_t AllocationCount();

}  // namespace rt::test

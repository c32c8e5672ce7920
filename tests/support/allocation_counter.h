// Counts the program's calls of operator new and the bytes they hold (the replacement lives in
// allocation_counter.cpp).
#pragma once

#include <cstddef>

namespace rt::test {

std::size_t AllocationCount();
// Makes the next call of operator new throw std::bad_alloc.
void FailNextAllocation();

// The most bytes held through operator new at any moment since the last call, above what was held
// at that call.
void StartPeakMeasurement();
std::size_t PeakBytesSinceStart();

}  // namespace rt::test

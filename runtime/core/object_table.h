// Numbered objects: every library (windows, sprites, sounds) maps the caller's numbers to records here.
// Fixed numbers 0 .. capacity-1 are array slots growing by a step; number -1 asks for an automatic
// number, a handle at or above kFirstAutomaticNumber that no fixed number can ever reach.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace rt {

using ObjectNumber = std::int64_t;

inline constexpr ObjectNumber kAutomaticObject = -1;
// Fixed numbers stay below 2^31 (they arrive as ints); automatic handles start far above that.
inline constexpr ObjectNumber kFirstAutomaticNumber = ObjectNumber{1} << 40;
inline constexpr ObjectNumber kLargestFixedNumber = 0x7FFFFFFF - 0x10000;

template <typename Record>
class ObjectTable {
 public:
  // Runs before a fixed number is handed out again, so the library can release the object living
  // there; it must tolerate an empty slot.
  using FreeRoutine = void (*)(ObjectNumber);

  // A step below 1 is taken as 1: growing to `number + step` must always make room for the number.
  ObjectTable(int step, FreeRoutine freeRoutine)
      : step_(step < 1 ? 1 : step), free_(freeRoutine), slots_(static_cast<std::size_t>(step_)) {}
  ObjectTable(const ObjectTable&) = delete;
  ObjectTable& operator=(const ObjectTable&) = delete;

  ObjectNumber Capacity() const { return static_cast<ObjectNumber>(slots_.size()); }

  // A fresh record for the number (the old object freed first), or nullptr for a number the table
  // cannot hold (below -1, or a fixed number too large). For -1, `assigned` receives the new handle.
  // The number is live from here on: a library that then fails to create its object frees it again.
  Record* Allocate(ObjectNumber number, ObjectNumber* assigned = nullptr) {
    if (number == kAutomaticObject) {
      const ObjectNumber handle = nextAutomatic_++;
      auto& record = automatic_[handle];
      record = std::make_unique<Record>();
      if (assigned) *assigned = handle;
      return record.get();
    }
    if (number < 0 || number > kLargestFixedNumber) return nullptr;
    if (number >= Capacity()) slots_.resize(static_cast<std::size_t>(number + step_));
    if (free_) free_(number);
    auto& slot = slots_[static_cast<std::size_t>(number)];
    slot = std::make_unique<Record>();
    if (assigned) *assigned = number;
    return slot.get();
  }

  // The live record of a number, or nullptr.
  Record* Get(ObjectNumber number) const {
    if (number >= 0 && number < Capacity()) return slots_[static_cast<std::size_t>(number)].get();
    if (number < kFirstAutomaticNumber) return nullptr;
    auto found = automatic_.find(number);
    return found == automatic_.end() ? nullptr : found->second.get();
  }
  // Handles are validated by lookup already, so finding and getting agree.
  Record* Find(ObjectNumber number) const { return Get(number); }

  void Free(ObjectNumber number) {
    if (number >= 0 && number < Capacity()) {
      slots_[static_cast<std::size_t>(number)].reset();
    } else if (number >= kFirstAutomaticNumber) {
      automatic_.erase(number);
    }
  }

  // Iteration: fixed numbers ascending, then automatic objects oldest first. Both positions move
  // before a record is returned, so the caller may free the object it was just given.
  void ResetIteration() {
    iterationIndex_ = 0;
    iterationHandle_ = kFirstAutomaticNumber;
  }
  Record* Next(ObjectNumber* number) {
    while (iterationIndex_ < Capacity()) {
      const ObjectNumber n = iterationIndex_++;
      if (Record* record = slots_[static_cast<std::size_t>(n)].get()) {
        if (number) *number = n;
        return record;
      }
    }
    auto next = automatic_.lower_bound(iterationHandle_);
    if (next == automatic_.end()) return nullptr;
    iterationHandle_ = next->first + 1;
    if (number) *number = next->first;
    return next->second.get();
  }

  // Visits every live object in iteration order until a visit returns false.
  template <typename Visit>
  void ForEach(Visit visit) {
    for (ObjectNumber n = 0; n < Capacity(); ++n) {
      if (Record* record = slots_[static_cast<std::size_t>(n)].get()) {
        if (!visit(n, *record)) return;
      }
    }
    for (auto next = automatic_.begin(); next != automatic_.end();) {
      auto current = next++;
      if (!visit(current->first, *current->second)) return;
    }
  }

 private:
  ObjectNumber step_;
  FreeRoutine free_;
  std::vector<std::unique_ptr<Record>> slots_;
  std::map<ObjectNumber, std::unique_ptr<Record>> automatic_;  // handles only grow: oldest first
  ObjectNumber nextAutomatic_ = kFirstAutomaticNumber;
  ObjectNumber iterationIndex_ = 0;
  ObjectNumber iterationHandle_ = kFirstAutomaticNumber;
};

}  // namespace rt

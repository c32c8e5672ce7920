#include "runtime/core/text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

#include "runtime/core/runtime_state.h"

namespace rt {

namespace {

constexpr std::size_t kStartCapacity = 16;
constexpr std::size_t kGrowth = 16384;
// Bytes kept beyond the capacity, and the room a reservation must leave, so the zero byte behind
// any reserved text always fits.
constexpr std::size_t kSpare = 5;
constexpr std::size_t kRoom = 4;
constexpr std::size_t kNumberReservation = 32;

struct Accumulator : LibraryState {
  std::vector<char> buffer = std::vector<char>(kStartCapacity + kSpare);
  std::size_t capacity = kStartCapacity;
  TextPosition top = 0;
};

Accumulator& State() {
  return PartOf<Accumulator>(Runtime().text);
}

bool Inside(const std::vector<char>& buffer, const char* pointer) {
  const auto address = reinterpret_cast<std::uintptr_t>(pointer);
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  return address >= begin && address < begin + buffer.size();
}

// Reserves like ReserveAccumulator; a source text lying in the accumulator is re-pointed into the
// moved buffer when it grows.
char* Reserve(std::size_t length, TextPosition position, const char** source) {
  Accumulator& a = State();
  // Writing starts at `position`, which can lie above the top: measure from the higher of the two.
  const std::size_t from = std::max(a.top, position);
  if (length > std::numeric_limits<std::size_t>::max() - kGrowth - kSpare - from) throw std::bad_alloc();
  if (from + length + kRoom >= a.capacity) {
    const bool moves = source && Inside(a.buffer, *source);
    const std::size_t offset = moves ? static_cast<std::size_t>(*source - a.buffer.data()) : 0;
    const std::size_t capacity = from + length + kGrowth;
    a.buffer.resize(capacity + kSpare);  // may throw: the accumulator stays as it was
    a.capacity = capacity;
    if (moves) *source = a.buffer.data() + offset;
  }
  a.top = position + length;
  return a.buffer.data() + position;
}

// Writes `length` bytes of `source` and a zero byte at `position`, the top ending behind them. The
// source may overlap the destination.
void Produce(const char* source, std::size_t length, TextPosition position) {
  char* out = Reserve(length, position, &source);
  std::memmove(out, source, length);
  out[length] = '\0';
}

}  // namespace

void StringVariable::Store(const char* text, std::size_t length) {
  if (length + 1 > block_.capacity()) {
    std::vector<char> grown;
    grown.reserve(length + kSpare);
    grown.assign(text, text + length);
    grown.push_back('\0');
    block_.swap(grown);
    return;
  }
  block_.resize(length + 1);
  std::memmove(block_.data(), text, length);
  block_[length] = '\0';
}

char* ReserveAccumulator(std::size_t length, TextPosition position) {
  return Reserve(length, position, nullptr);
}

std::size_t ReleaseAccumulator(std::size_t count) {
  Accumulator& a = State();
  count = std::min(count, a.top);
  a.top -= count;
  return count;
}

TextPosition AccumulatorTop() {
  return State().top;
}

void SetAccumulatorTop(TextPosition position) {
  Accumulator& a = State();
  if (position <= a.capacity) a.top = position;
}

const char* AccumulatorText(TextPosition position) {
  const Accumulator& a = State();
  return position <= a.capacity ? a.buffer.data() + position : nullptr;
}

std::size_t AccumulatorCapacity() {
  return State().capacity;
}

void StartStringRuntime() {
  Runtime().text.reset();
}

void AppendString(const char* text) {
  if (!text) return;
  Produce(text, std::strlen(text), AccumulatorTop());
}

void NumberToString(std::int32_t value, TextPosition position) {
  char* out = ReserveAccumulator(kNumberReservation, position);
  const std::size_t length =
      static_cast<std::size_t>(std::to_chars(out, out + kNumberReservation, value).ptr - out);
  out[length] = '\0';
  ReleaseAccumulator(kNumberReservation - length);
}

void NumberToString(std::int32_t value) {
  NumberToString(value, AccumulatorTop());
}

void GetPathPart(const char* filename, TextPosition position) {
  if (!filename) {
    Produce("", 0, position);
    return;
  }
  const char* start = filename[0] == '"' ? filename + 1 : filename;
  std::size_t length = 0;
  for (std::size_t i = 0; start[i] != '\0' && start[i] != '|'; ++i) {
    if (start[i] == '/' || start[i] == '\\') length = i + 1;
  }
  Produce(start, length, position);
}

void AssignString(StringVariable& variable, TextPosition position) {
  Accumulator& a = State();
  if (position > a.top) return;
  variable.Store(a.buffer.data() + position, a.top - position);
  a.top = position;
}

void AssignStringLiteral(StringVariable& variable, const char* text) {
  if (!text) text = "";
  variable.Store(text, std::strlen(text));
}

}  // namespace rt

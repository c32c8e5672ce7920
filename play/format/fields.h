// The words of a line of the script and recording formats, and the numbers in them, read and written
// exactly: a float's text reads back to the very same float.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

namespace pellaris::play {

// The line's words, split at spaces and tabs (a line's '\r' too).
inline std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  const auto space = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t' || line[at] == '\r'; };
  while (i < line.size()) {
    while (i < line.size() && space(i)) ++i;
    const std::size_t start = i;
    while (i < line.size() && !space(i)) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A whole word as a number of the type (decimal, or hexadecimal with base 16), nothing else.
template <typename Number>
bool ParseNumber(std::string_view word, Number& out, int base = 10) {
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, out, base);
  return !word.empty() && error == std::errc() && stop == end;
}

// A finite float, written as FloatText writes it.
bool ParseFloat(std::string_view word, float& out);

// The shortest text that reads back to the same float.
std::string FloatText(float value);

// The same two for a C++ library that cannot read or write floats with <charconv> (Emscripten's):
// printf's and strtof's, giving the very text the standard library does.
std::string PortableFloatText(float value);
bool PortableParseFloat(std::string_view word, float& out);

}  // namespace pellaris::play

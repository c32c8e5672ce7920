#include "play/format/fields.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pellaris::play {

namespace {

constexpr int kFloatDigits = 9;  // enough for any float to read back

// A float's shortest digits ("15") and the power of ten of the first ("-7" for 1.5e-7).
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal ShortestDecimal(float magnitude) {
  char text[32];
  for (int digits = 1;; ++digits) {
    std::snprintf(text, sizeof text, "%.*e", digits - 1, static_cast<double>(magnitude));
    if (digits == kFloatDigits || std::strtof(text, nullptr) == magnitude) break;
  }
  Decimal decimal;
  char* exponent = nullptr;
  for (char* c = text; *c; ++c) {
    if (*c == 'e') {
      exponent = c + 1;
      break;
    }
    if (*c != '.') decimal.digits += *c;
  }
  decimal.exponent = std::atoi(exponent);
  while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
  return decimal;
}

// "1.5e-07": the exponent with a sign and at least two digits, as printf writes it.
std::string Scientific(const Decimal& decimal) {
  std::string text = decimal.digits.substr(0, 1);
  if (decimal.digits.size() > 1) text.append(".").append(decimal.digits.substr(1));
  char exponent[8];
  std::snprintf(exponent, sizeof exponent, "e%+03d", decimal.exponent);
  return text + exponent;
}

// "0.00015", "1.5", and a whole number as it is exactly ("90282311680", whose shortest digits are
// 9028231).
std::string Fixed(const Decimal& decimal, float magnitude) {
  const auto count = static_cast<int>(decimal.digits.size());
  if (decimal.exponent < 0) {
    return "0." + std::string(static_cast<std::size_t>(-decimal.exponent - 1), '0') + decimal.digits;
  }
  const int whole = decimal.exponent + 1;
  if (count <= whole) {
    char text[48];
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(magnitude));
    return text;
  }
  return decimal.digits.substr(0, static_cast<std::size_t>(whole)) + "." +
         decimal.digits.substr(static_cast<std::size_t>(whole));
}

// What <charconv> reads as a number: [-]digits[.digits][e[+|-]digits], with a digit before the
// exponent (no spaces, '+', hexadecimal, "inf" or "nan", which strtof would take).
bool PlainNumber(std::string_view word) {
  std::size_t i = word.starts_with('-') ? 1 : 0, digits = 0;
  const auto digitsFrom = [&word](std::size_t& at) {
    std::size_t count = 0;
    for (; at < word.size() && word[at] >= '0' && word[at] <= '9'; ++at) ++count;
    return count;
  };
  digits += digitsFrom(i);
  if (i < word.size() && word[i] == '.') digits += digitsFrom(++i);
  if (digits == 0) return false;
  if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    if (digitsFrom(i) == 0) return false;
  }
  return i == word.size();
}

}  // namespace

std::string PortableFloatText(float value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isinf(value)) return sign + "inf";
  if (value == 0) return sign + "0";
  const float magnitude = std::fabs(value);
  const Decimal decimal = ShortestDecimal(magnitude);
  const std::string fixed = Fixed(decimal, magnitude), scientific = Scientific(decimal);
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

bool PortableParseFloat(std::string_view word, float& out) {
  if (!PlainNumber(word)) return false;
  const std::string text(word);
  errno = 0;
  const float value = std::strtof(text.c_str(), nullptr);
  // Too large, or too small for even the smallest float; those in between only lose precision.
  if (errno == ERANGE && (value == 0 || !std::isfinite(value))) return false;
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

#if defined(__cpp_lib_to_chars)

bool ParseFloat(std::string_view word, float& out) {
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, out);
  return !word.empty() && error == std::errc() && stop == end && std::isfinite(out);
}

std::string FloatText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

#else

bool ParseFloat(std::string_view word, float& out) {
  return PortableParseFloat(word, out);
}

std::string FloatText(float value) {
  return PortableFloatText(value);
}

#endif

}  // namespace pellaris::play

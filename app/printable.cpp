#include "app/printable.h"

#include <cstddef>

namespace pellaris::app {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text` (shortest form, no
// surrogates, at most U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

bool IsC1Control(std::string_view sequence) {
  return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
         static_cast<unsigned char>(sequence[1]) < 0xA0;
}

void AppendEscaped(unsigned char byte, std::string& out) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    if (byte >= 0x20 && byte < 0x7F) {
      if (byte == '\\') out += '\\';
      out += text[0];
      text.remove_prefix(1);
      continue;
    }
    const std::size_t length = byte < 0x80 ? 0 : Utf8SequenceLength(text);
    if (length == 0 || IsC1Control(text.substr(0, length))) {
      AppendEscaped(byte, out);
      text.remove_prefix(1);
      continue;
    }
    out += text.substr(0, length);
    text.remove_prefix(length);
  }
  return out;
}

bool IsPlainText(std::string_view text) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    const bool lineControl = byte == '\t' || byte == '\n' || byte == '\r';
    if (byte < 0x80) {
      if ((byte < 0x20 && !lineControl) || byte == 0x7F) return false;
      text.remove_prefix(1);
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0 || IsC1Control(text.substr(0, length))) return false;
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace pellaris::app

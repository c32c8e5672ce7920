#include "play/format/printable.h"

namespace pellaris::play {

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

char32_t CodePoint(std::string_view sequence) {
  const auto byte = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(sequence[i]));
  };
  switch (sequence.size()) {
    case 2:
      return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3:
      return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
      return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
  }
}

// C1 controls, and the characters that change the direction of the text after them.
bool Hidden(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendEscaped(std::string_view bytes, std::string& out) {
  constexpr char kDigits[] = "0123456789abcdef";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
}

// Calls shown(bytes, readable) for each character of the text, or each byte that is none.
template <typename Shown>
void ForEachCharacter(std::string_view text, Shown shown) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    std::size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(text);
    bool readable = byte < 0x80 ? byte >= 0x20 && byte != 0x7F : length != 0;
    if (length == 0) length = 1;
    if (readable && length > 1) readable = !Hidden(CodePoint(text.substr(0, length)));
    if (!shown(text.substr(0, length), readable)) return;
    text.remove_prefix(length);
  }
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  std::size_t taken = 0;
  ForEachCharacter(text, [&](std::string_view character, bool readable) {
    if (taken + character.size() > kLongestPrintable) {
      out += "...";
      return false;
    }
    taken += character.size();
    if (!readable) {
      AppendEscaped(character, out);
    } else {
      if (character == "\\") out += '\\';
      out += character;
    }
    return true;
  });
  return out;
}

bool IsPlainText(std::string_view text) {
  bool plain = true;
  ForEachCharacter(text, [&](std::string_view character, bool readable) {
    plain = readable || character == "\t" || character == "\n" || character == "\r";
    return plain;
  });
  return plain;
}

}  // namespace pellaris::play

#include "play/format/player.h"

namespace pellaris::play {

namespace {

// The code point of the UTF-8 sequence at `at`, moving `at` past it; nothing for a byte sequence that
// is no character (stray continuation bytes, overlong forms, surrogates, beyond U+10FFFF).
std::optional<char32_t> NextCharacter(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int length = 0;
  char32_t code = 0, least = 0;
  if (lead < 0x80) return static_cast<char32_t>(text[at++]);
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (at + length > text.size()) return std::nullopt;
  for (int i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  at += length;
  return code;
}

bool Shows(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;  // control characters
  if (c == 0x2028 || c == 0x2029) return false;            // line and paragraph separators
  if (c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
      (c >= 0x2066 && c <= 0x2069)) {
    return false;  // direction marks, embeddings and isolates
  }
  return c != 0xFEFF && !(c >= 0xFFF9 && c <= 0xFFFB);
}

// Shows as a gap: spaces of every width, the blank braille pattern.
bool Gap(char32_t c) {
  return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
         c == 0x205F || c == 0x2800 || c == 0x3000;
}

// Shows as nothing, whatever the font: the default-ignorable characters that Shows lets through
// (joiners, fillers, a soft hyphen, variation selectors, tags, invisible operators and format marks).
bool Invisible(char32_t c) {
  return c == 0xAD || c == 0x34F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 ||
         (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200D) || (c >= 0x2060 && c <= 0x206F) ||
         c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFF8) ||
         (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF);
}

bool Blank(char32_t c) {
  return Gap(c) || Invisible(c);
}

std::string LengthProblem() {
  return "a name has 1 to " + std::to_string(kLongestPlayerName) + " characters";
}

}  // namespace

std::optional<std::string> ValidPlayerName(std::string_view name, std::string& problem) {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.empty()) {
    problem = LengthProblem();
    return std::nullopt;
  }
  int characters = 0;
  bool shows = false;
  for (std::size_t at = 0; at < name.size();) {
    const std::optional<char32_t> c = NextCharacter(name, at);
    if (!c) {
      problem = "a name is UTF-8 text";
      return std::nullopt;
    }
    if (!Shows(*c)) {
      problem = "a name holds no control characters";
      return std::nullopt;
    }
    if (++characters > kLongestPlayerName) {
      problem = LengthProblem();
      return std::nullopt;
    }
    shows = shows || !Blank(*c);
  }
  if (!shows) {
    problem = "a name shows more than blanks";
    return std::nullopt;
  }
  return std::string(name);
}

std::optional<std::string> ValidInstallId(std::string_view id) {
  if (id.size() != kInstallIdDigits) return std::nullopt;
  std::string lower(id);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
  }
  return lower;
}

}  // namespace pellaris::play

// Players have no accounts: a name they choose, shown as they typed it (escaped wherever it is shown),
// and the random id their install keeps. The game checks both before it sends a round, by the same
// rules as the score board that takes it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellaris::play {

inline constexpr int kLongestPlayerName = 24;  // characters
inline constexpr int kInstallIdDigits = 32;    // hexadecimal: 128 random bits

// The name without the spaces around it, when it is 1 to 24 characters of UTF-8 that all show as
// something: no control characters, no line or paragraph separators, no marks that turn the text's
// direction around, and not only blanks (spaces of any width, characters that show as nothing). `problem`
// says what is wrong otherwise.
std::optional<std::string> ValidPlayerName(std::string_view name, std::string& problem);

// The install id in lowercase, when it is 32 hexadecimal digits.
std::optional<std::string> ValidInstallId(std::string_view id);

}  // namespace pellaris::play

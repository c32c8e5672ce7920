// SHA-256, for naming a recording by its bytes: the same bytes sent twice find the same round.
#pragma once

#include <string>
#include <string_view>

namespace pellaris::board {

// The digest of the bytes as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace pellaris::board

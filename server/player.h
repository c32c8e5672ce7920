// Players have no accounts: a name they choose and the random id their install keeps, checked as the
// game checks them (play/format/player.h). A player on a board is an install id, shown by its latest
// name.
#pragma once

#include <string>
#include <string_view>

#include "play/format/player.h"

namespace pellaris::board {

using play::ValidInstallId;
using play::ValidPlayerName;

// What boards show for a player instead of its install id, which would let anyone send rounds in its
// name: 16 hexadecimal digits derived from the id.
std::string PlayerTag(std::string_view installId);

}  // namespace pellaris::board

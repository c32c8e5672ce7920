#include "server/player.h"

#include "server/sha256.h"

namespace pellaris::board {

std::string PlayerTag(std::string_view installId) {
  return Sha256Hex("pellaris-player " + std::string(installId)).substr(0, 16);
}

}  // namespace pellaris::board

// Which lines of a file of game controller mappings (SDL's format: a GUID, a name, the buttons and
// axes, the platform, one controller a line) are worth handing to SDL. SDL takes the lines of its own
// platform only, and a later line for a controller replaces an earlier one; it searches what it has for
// every line it adds, so a long file costs the square of its length (20,000 lines take 18 s). Plain
// text, so it can be checked without SDL.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rt::platform {

// More controllers than anyone has mappings for (SDL's own collection has under a thousand for each
// platform); SDL adds this many in about a fifth of a second.
inline constexpr std::size_t kLargestPadMappings = 2000;

struct PadMappingLines {
  std::vector<std::string> lines;  // a line for each controller, the last the text has for it
  bool cut = false;                // controllers past `largest` were left out
};

// The lines of `text` that SDL would take on `platform` (SDL's name for it, as in "platform:Linux,"),
// the last line for each controller, in the order the controllers first appear; at most `largest`
// controllers.
PadMappingLines SelectPadMappings(std::string_view text, std::string_view platform,
                                  std::size_t largest = kLargestPadMappings);

}  // namespace rt::platform

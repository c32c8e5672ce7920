// Text from outside (a command line, a file, a recording, a player's name) made safe to show on a
// terminal or in a message: the one rule for the whole program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellaris::play {

// Longer texts are cut to this many bytes (never inside a character) and end in "...".
inline constexpr std::size_t kLongestPrintable = 200;

// The text as it may be shown: readable UTF-8 passes unchanged; control characters (C0, DEL, C1),
// bytes that are not UTF-8 and the bidirectional format characters (which reorder what follows them
// on the screen) are written as \xNN escapes of their bytes, and a backslash is doubled, so a message
// can neither move the cursor nor change the terminal nor disguise itself. Escape a text once, where
// it enters a message; a message built from escaped parts is printed as it is.
std::string Printable(std::string_view text);

// Whether the text is UTF-8 with no control characters but tabs and line ends: what a person writes
// in a text editor, as opposed to binary or damaged bytes.
bool IsPlainText(std::string_view text);

}  // namespace pellaris::play

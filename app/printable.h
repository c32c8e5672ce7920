// Text from outside (a command line, a file) made safe to print on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace pellaris::app {

// The text with control characters (C0, DEL, C1) and bytes that are not UTF-8 written as \xNN, and
// backslashes doubled, so a message cannot move the cursor or change the terminal; readable
// UTF-8 text passes unchanged.
std::string Printable(std::string_view text);

// Whether the text is UTF-8 with no control characters but tabs and line ends: what a person writes
// in a text editor, as opposed to a binary or damaged file.
bool IsPlainText(std::string_view text);

}  // namespace pellaris::app

// How the browser names keys and buttons, in the keyboard's numbering: KeyboardEvent.code names the
// key's place on the keyboard whatever the layout, so left and right Ctrl and Shift stay apart.
#pragma once

#include <span>
#include <string_view>

namespace rt::platform {

// The keyboard's code (set-1 make code, +128 for extended keys) of a KeyboardEvent.code; 0 for a name
// a PC keyboard has no key for.
int KeyCodeFromDomCode(std::string_view code);
// Our button number (1 left, 2 right, 3 middle, 4 and 5 the side buttons) of MouseEvent.button; 0 if
// none.
int ButtonFromDomButton(int button);
// Every KeyboardEvent.code the table knows, for tests.
std::span<const std::string_view> DomCodes();

}  // namespace rt::platform

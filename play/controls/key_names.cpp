#include "play/controls/key_names.h"

#include <algorithm>

#include "runtime/platform/key_codes.h"

namespace pellaris::play {

namespace {

constexpr int kExtended = rt::kExtendedKey;

// The same keys as the SDL backend's table, named after what is printed on a US keyboard; the
// keypad's keys start with "Keypad".
constexpr KeyName kKeyNames[] = {
    {0x01, "Escape"},
    {0x02, "1"},
    {0x03, "2"},
    {0x04, "3"},
    {0x05, "4"},
    {0x06, "5"},
    {0x07, "6"},
    {0x08, "7"},
    {0x09, "8"},
    {0x0A, "9"},
    {0x0B, "0"},
    {0x0C, "Minus"},
    {0x0D, "Equals"},
    {0x0E, "Backspace"},
    {0x0F, "Tab"},
    {0x10, "Q"},
    {0x11, "W"},
    {0x12, "E"},
    {0x13, "R"},
    {0x14, "T"},
    {0x15, "Y"},
    {0x16, "U"},
    {0x17, "I"},
    {0x18, "O"},
    {0x19, "P"},
    {0x1A, "LeftBracket"},
    {0x1B, "RightBracket"},
    {0x1C, "Enter"},
    {0x1D, "LeftCtrl"},
    {0x1E, "A"},
    {0x1F, "S"},
    {0x20, "D"},
    {0x21, "F"},
    {0x22, "G"},
    {0x23, "H"},
    {0x24, "J"},
    {0x25, "K"},
    {0x26, "L"},
    {0x27, "Semicolon"},
    {0x28, "Apostrophe"},
    {0x29, "Grave"},
    {0x2A, "LeftShift"},
    {0x2B, "Backslash"},
    {0x2C, "Z"},
    {0x2D, "X"},
    {0x2E, "C"},
    {0x2F, "V"},
    {0x30, "B"},
    {0x31, "N"},
    {0x32, "M"},
    {0x33, "Comma"},
    {0x34, "Period"},
    {0x35, "Slash"},
    {0x36, "RightShift"},
    {0x37, "KeypadMultiply"},
    {0x38, "LeftAlt"},
    {0x39, "Space"},
    {0x3A, "CapsLock"},
    {0x3B, "F1"},
    {0x3C, "F2"},
    {0x3D, "F3"},
    {0x3E, "F4"},
    {0x3F, "F5"},
    {0x40, "F6"},
    {0x41, "F7"},
    {0x42, "F8"},
    {0x43, "F9"},
    {0x44, "F10"},
    {0x45, "NumLock"},
    {0x46, "ScrollLock"},
    {0x47, "Keypad7"},
    {0x48, "Keypad8"},
    {0x49, "Keypad9"},
    {0x4A, "KeypadMinus"},
    {0x4B, "Keypad4"},
    {0x4C, "Keypad5"},
    {0x4D, "Keypad6"},
    {0x4E, "KeypadPlus"},
    {0x4F, "Keypad1"},
    {0x50, "Keypad2"},
    {0x51, "Keypad3"},
    {0x52, "Keypad0"},
    {0x53, "KeypadPeriod"},
    {0x56, "IsoBackslash"},  // the extra key beside the left Shift on ISO keyboards
    {0x57, "F11"},
    {0x58, "F12"},
    {0x64, "F13"},
    {0x65, "F14"},
    {0x66, "F15"},
    {0x70, "Kana"},
    {0x73, "Ro"},
    {0x79, "Convert"},
    {0x7B, "NoConvert"},
    {0x7D, "Yen"},
    {0x7E, "KeypadComma"},
    {0x8D, "KeypadEquals"},
    {kExtended + 0x10, "MediaPrevious"},
    {kExtended + 0x19, "MediaNext"},
    {kExtended + 0x1C, "KeypadEnter"},
    {kExtended + 0x1D, "RightCtrl"},
    {kExtended + 0x20, "VolumeMute"},
    {kExtended + 0x21, "Calculator"},
    {kExtended + 0x22, "MediaPlay"},
    {kExtended + 0x24, "MediaStop"},
    {kExtended + 0x2E, "VolumeDown"},
    {kExtended + 0x30, "VolumeUp"},
    {kExtended + 0x32, "BrowserHome"},
    {kExtended + 0x35, "KeypadDivide"},
    {kExtended + 0x37, "PrintScreen"},
    {kExtended + 0x38, "RightAlt"},
    {kExtended + 0x45, "Pause"},
    {kExtended + 0x47, "Home"},
    {kExtended + 0x48, "Up"},
    {kExtended + 0x49, "PageUp"},
    {kExtended + 0x4B, "Left"},
    {kExtended + 0x4D, "Right"},
    {kExtended + 0x4F, "End"},
    {kExtended + 0x50, "Down"},
    {kExtended + 0x51, "PageDown"},
    {kExtended + 0x52, "Insert"},
    {kExtended + 0x53, "Delete"},
    {kExtended + 0x5B, "LeftSuper"},
    {kExtended + 0x5C, "RightSuper"},
    {kExtended + 0x5D, "Menu"},
    {kExtended + 0x5E, "Power"},
    {kExtended + 0x5F, "Sleep"},
    {kExtended + 0x65, "BrowserSearch"},
    {kExtended + 0x66, "BrowserFavorites"},
    {kExtended + 0x67, "BrowserRefresh"},
    {kExtended + 0x68, "BrowserStop"},
    {kExtended + 0x69, "BrowserForward"},
    {kExtended + 0x6A, "BrowserBack"},
    {kExtended + 0x6B, "Computer"},
    {kExtended + 0x6C, "Mail"},
    {kExtended + 0x6D, "MediaSelect"},
};

bool SameLetters(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::span<const KeyName> KeyNames() {
  return kKeyNames;
}

const char* NameOfKey(int code) {
  const auto found = std::find_if(std::begin(kKeyNames), std::end(kKeyNames),
                                  [&](const KeyName& key) { return key.code == code; });
  return found == std::end(kKeyNames) ? nullptr : found->name;
}

int KeyCodeOfName(std::string_view name) {
  const auto found = std::find_if(std::begin(kKeyNames), std::end(kKeyNames),
                                  [&](const KeyName& key) { return SameLetters(key.name, name); });
  return found == std::end(kKeyNames) ? 0 : found->code;
}

}  // namespace pellaris::play

#include "runtime/platform/web/web_keys.h"

#include <array>
#include <iterator>

namespace rt::platform {

namespace {

constexpr int kExtended = 128;

struct KeyName {
  std::string_view code;
  int key;
};

// Every key of a PC keyboard by its KeyboardEvent.code, with its set-1 make code; extended keys carry
// +128. The same keys as the SDL backend's table, so both backends report the same numbers.
constexpr KeyName kKeys[] = {
    {"Escape", 0x01},
    {"Digit1", 0x02},
    {"Digit2", 0x03},
    {"Digit3", 0x04},
    {"Digit4", 0x05},
    {"Digit5", 0x06},
    {"Digit6", 0x07},
    {"Digit7", 0x08},
    {"Digit8", 0x09},
    {"Digit9", 0x0A},
    {"Digit0", 0x0B},
    {"Minus", 0x0C},
    {"Equal", 0x0D},
    {"Backspace", 0x0E},
    {"Tab", 0x0F},
    {"KeyQ", 0x10},
    {"KeyW", 0x11},
    {"KeyE", 0x12},
    {"KeyR", 0x13},
    {"KeyT", 0x14},
    {"KeyY", 0x15},
    {"KeyU", 0x16},
    {"KeyI", 0x17},
    {"KeyO", 0x18},
    {"KeyP", 0x19},
    {"BracketLeft", 0x1A},
    {"BracketRight", 0x1B},
    {"Enter", 0x1C},
    {"ControlLeft", 0x1D},
    {"KeyA", 0x1E},
    {"KeyS", 0x1F},
    {"KeyD", 0x20},
    {"KeyF", 0x21},
    {"KeyG", 0x22},
    {"KeyH", 0x23},
    {"KeyJ", 0x24},
    {"KeyK", 0x25},
    {"KeyL", 0x26},
    {"Semicolon", 0x27},
    {"Quote", 0x28},
    {"Backquote", 0x29},
    {"ShiftLeft", 0x2A},
    {"Backslash", 0x2B},  // also the key beside Enter on ISO keyboards
    {"KeyZ", 0x2C},
    {"KeyX", 0x2D},
    {"KeyC", 0x2E},
    {"KeyV", 0x2F},
    {"KeyB", 0x30},
    {"KeyN", 0x31},
    {"KeyM", 0x32},
    {"Comma", 0x33},
    {"Period", 0x34},
    {"Slash", 0x35},
    {"ShiftRight", 0x36},
    {"NumpadMultiply", 0x37},
    {"AltLeft", 0x38},
    {"Space", 0x39},
    {"CapsLock", 0x3A},
    {"F1", 0x3B},
    {"F2", 0x3C},
    {"F3", 0x3D},
    {"F4", 0x3E},
    {"F5", 0x3F},
    {"F6", 0x40},
    {"F7", 0x41},
    {"F8", 0x42},
    {"F9", 0x43},
    {"F10", 0x44},
    {"NumLock", 0x45},
    {"ScrollLock", 0x46},
    {"Numpad7", 0x47},
    {"Numpad8", 0x48},
    {"Numpad9", 0x49},
    {"NumpadSubtract", 0x4A},
    {"Numpad4", 0x4B},
    {"Numpad5", 0x4C},
    {"Numpad6", 0x4D},
    {"NumpadAdd", 0x4E},
    {"Numpad1", 0x4F},
    {"Numpad2", 0x50},
    {"Numpad3", 0x51},
    {"Numpad0", 0x52},
    {"NumpadDecimal", 0x53},
    {"IntlBackslash", 0x56},
    {"F11", 0x57},
    {"F12", 0x58},
    {"F13", 0x64},
    {"F14", 0x65},
    {"F15", 0x66},
    {"KanaMode", 0x70},
    {"IntlRo", 0x73},
    {"Convert", 0x79},
    {"NonConvert", 0x7B},
    {"IntlYen", 0x7D},
    {"NumpadComma", 0x7E},
    {"NumpadEqual", 0x8D},
    {"MediaTrackPrevious", kExtended + 0x10},
    {"MediaTrackNext", kExtended + 0x19},
    {"NumpadEnter", kExtended + 0x1C},
    {"ControlRight", kExtended + 0x1D},
    {"AudioVolumeMute", kExtended + 0x20},
    {"LaunchApp2", kExtended + 0x21},  // the calculator
    {"MediaPlayPause", kExtended + 0x22},
    {"MediaStop", kExtended + 0x24},
    {"AudioVolumeDown", kExtended + 0x2E},
    {"AudioVolumeUp", kExtended + 0x30},
    {"BrowserHome", kExtended + 0x32},
    {"NumpadDivide", kExtended + 0x35},
    {"PrintScreen", kExtended + 0x37},
    {"AltRight", kExtended + 0x38},
    {"Pause", kExtended + 0x45},
    {"Home", kExtended + 0x47},
    {"ArrowUp", kExtended + 0x48},
    {"PageUp", kExtended + 0x49},
    {"ArrowLeft", kExtended + 0x4B},
    {"ArrowRight", kExtended + 0x4D},
    {"End", kExtended + 0x4F},
    {"ArrowDown", kExtended + 0x50},
    {"PageDown", kExtended + 0x51},
    {"Insert", kExtended + 0x52},
    {"Delete", kExtended + 0x53},
    {"MetaLeft", kExtended + 0x5B},
    {"MetaRight", kExtended + 0x5C},
    {"ContextMenu", kExtended + 0x5D},
    {"Power", kExtended + 0x5E},
    {"Sleep", kExtended + 0x5F},
    {"BrowserSearch", kExtended + 0x65},
    {"BrowserFavorites", kExtended + 0x66},
    {"BrowserRefresh", kExtended + 0x67},
    {"BrowserStop", kExtended + 0x68},
    {"BrowserForward", kExtended + 0x69},
    {"BrowserBack", kExtended + 0x6A},
    {"LaunchApp1", kExtended + 0x6B},  // "my computer"
    {"LaunchMail", kExtended + 0x6C},
    {"MediaSelect", kExtended + 0x6D},
};

constexpr auto kCodes = [] {
  std::array<std::string_view, std::size(kKeys)> codes{};
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = kKeys[i].code;
  return codes;
}();

}  // namespace

std::span<const std::string_view> DomCodes() {
  return kCodes;
}

int KeyCodeFromDomCode(std::string_view code) {
  for (const KeyName& key : kKeys)
    if (key.code == code) return key.key;
  return 0;
}

int ButtonFromDomButton(int button) {
  switch (button) {
    case 0:
      return 1;
    case 1:
      return 3;  // the browser numbers the middle button before the right one
    case 2:
      return 2;
    case 3:
      return 4;
    case 4:
      return 5;
    default:
      return 0;
  }
}

}  // namespace rt::platform

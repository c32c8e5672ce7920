#include "runtime/platform/sdl/sdl_mapping.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace rt::platform {

namespace {

constexpr int kExtended = 128;

struct KeyPair {
  SDL_Scancode scancode;
  int code;
};

// Every key of a PC keyboard with its set-1 make code; extended keys carry +128.
constexpr KeyPair kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_NONUSHASH, 0x2B},  // the same key position on ISO keyboards
    {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48},
    {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C},
    {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52},
    {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65},
    {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},  // Kana
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},  // Ro
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},  // Convert
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},  // No convert
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},  // Yen
    {SDL_SCANCODE_KP_COMMA, 0x7E},
    {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_AUDIOPREV, kExtended + 0x10},
    {SDL_SCANCODE_AUDIONEXT, kExtended + 0x19},
    {SDL_SCANCODE_KP_ENTER, kExtended + 0x1C},
    {SDL_SCANCODE_RCTRL, kExtended + 0x1D},
    {SDL_SCANCODE_MUTE, kExtended + 0x20},
    {SDL_SCANCODE_CALCULATOR, kExtended + 0x21},
    {SDL_SCANCODE_AUDIOPLAY, kExtended + 0x22},
    {SDL_SCANCODE_AUDIOSTOP, kExtended + 0x24},
    {SDL_SCANCODE_VOLUMEDOWN, kExtended + 0x2E},
    {SDL_SCANCODE_VOLUMEUP, kExtended + 0x30},
    {SDL_SCANCODE_AC_HOME, kExtended + 0x32},
    {SDL_SCANCODE_KP_DIVIDE, kExtended + 0x35},
    {SDL_SCANCODE_PRINTSCREEN, kExtended + 0x37},
    {SDL_SCANCODE_RALT, kExtended + 0x38},
    {SDL_SCANCODE_PAUSE, kExtended + 0x45},
    {SDL_SCANCODE_HOME, kExtended + 0x47},
    {SDL_SCANCODE_UP, kExtended + 0x48},
    {SDL_SCANCODE_PAGEUP, kExtended + 0x49},
    {SDL_SCANCODE_LEFT, kExtended + 0x4B},
    {SDL_SCANCODE_RIGHT, kExtended + 0x4D},
    {SDL_SCANCODE_END, kExtended + 0x4F},
    {SDL_SCANCODE_DOWN, kExtended + 0x50},
    {SDL_SCANCODE_PAGEDOWN, kExtended + 0x51},
    {SDL_SCANCODE_INSERT, kExtended + 0x52},
    {SDL_SCANCODE_DELETE, kExtended + 0x53},
    {SDL_SCANCODE_LGUI, kExtended + 0x5B},
    {SDL_SCANCODE_RGUI, kExtended + 0x5C},
    {SDL_SCANCODE_APPLICATION, kExtended + 0x5D},
    {SDL_SCANCODE_POWER, kExtended + 0x5E},
    {SDL_SCANCODE_SLEEP, kExtended + 0x5F},
    {SDL_SCANCODE_AC_SEARCH, kExtended + 0x65},
    {SDL_SCANCODE_AC_BOOKMARKS, kExtended + 0x66},
    {SDL_SCANCODE_AC_REFRESH, kExtended + 0x67},
    {SDL_SCANCODE_AC_STOP, kExtended + 0x68},
    {SDL_SCANCODE_AC_FORWARD, kExtended + 0x69},
    {SDL_SCANCODE_AC_BACK, kExtended + 0x6A},
    {SDL_SCANCODE_COMPUTER, kExtended + 0x6B},
    {SDL_SCANCODE_MAIL, kExtended + 0x6C},
    {SDL_SCANCODE_MEDIASELECT, kExtended + 0x6D},
};

using KeyTable = std::array<std::uint8_t, SDL_NUM_SCANCODES>;

constexpr KeyTable BuildKeyTable() {
  KeyTable table{};
  for (const KeyPair& key : kKeys) table[key.scancode] = static_cast<std::uint8_t>(key.code);
  return table;
}

constexpr KeyTable kKeyTable = BuildKeyTable();

}  // namespace

int KeyCodeFromSdlScancode(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return kKeyTable[static_cast<std::size_t>(scancode)];
}

int ButtonFromSdlButton(int button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 3;
    case SDL_BUTTON_X1:
      return 4;
    case SDL_BUTTON_X2:
      return 5;
    default:
      return 0;
  }
}

bool PadButtonFromSdl(int sdlButton, PadButton& button) {
  const char* name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(sdlButton));
  return name && PadButtonFromName(name, button);
}

bool PadAxisFromSdl(int sdlAxis, PadAxis& axis) {
  const char* name = SDL_GameControllerGetStringForAxis(static_cast<SDL_GameControllerAxis>(sdlAxis));
  return name && PadAxisFromName(name, axis);
}

int SdlPadButton(PadButton button) {
  const char* name = PadButtonName(button);
  return name ? SDL_GameControllerGetButtonFromString(name) : SDL_CONTROLLER_BUTTON_INVALID;
}

int SdlPadAxis(PadAxis axis) {
  const char* name = PadAxisName(axis);
  return name ? SDL_GameControllerGetAxisFromString(name) : SDL_CONTROLLER_AXIS_INVALID;
}

Rect FitToOutput(int width, int height, int outputWidth, int outputHeight, Scaling scaling) {
  if (width <= 0 || height <= 0 || outputWidth <= 0 || outputHeight <= 0) return Rect{};
  const int wholeScale = std::min(outputWidth / width, outputHeight / height);
  Rect fit;
  if (wholeScale >= 1 && scaling == Scaling::WholeNumber) {
    fit.width = width * wholeScale;
    fit.height = height * wholeScale;
  } else if (static_cast<std::int64_t>(outputWidth) * height <=
             static_cast<std::int64_t>(outputHeight) * width) {
    fit.width = outputWidth;  // the width limits
    fit.height = static_cast<int>(static_cast<std::int64_t>(height) * outputWidth / width);
  } else {
    fit.height = outputHeight;
    fit.width = static_cast<int>(static_cast<std::int64_t>(width) * outputHeight / height);
  }
  fit.x = (outputWidth - fit.width) / 2;
  fit.y = (outputHeight - fit.height) / 2;
  return fit;
}

int WindowScale(int asked, int width, int height, int usableWidth, int usableHeight) {
  if (width <= 0 || height <= 0) return std::max(asked, 1);
  if (asked == 0) return std::max(1, std::min(usableWidth * 9 / 10 / width, usableHeight * 9 / 10 / height));
  const int largest = std::min(usableWidth / width, usableHeight / height);
  return std::max(1, std::min(asked, largest));
}

std::optional<Rect> ConfinementOnDesktop(const Rect& area, int clientX, int clientY, const Rect& desktop) {
  // In 64 bits: a window far off the desktop must not overflow the sums.
  const std::int64_t left = std::max<std::int64_t>(area.x, std::int64_t{desktop.x} - clientX);
  const std::int64_t top = std::max<std::int64_t>(area.y, std::int64_t{desktop.y} - clientY);
  const std::int64_t right =
      std::min(std::int64_t{area.x} + area.width, std::int64_t{desktop.x} + desktop.width - clientX);
  const std::int64_t bottom =
      std::min(std::int64_t{area.y} + area.height, std::int64_t{desktop.y} + desktop.height - clientY);
  if (right <= left || bottom <= top) return std::nullopt;
  return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
              static_cast<int>(bottom - top)};
}

}  // namespace rt::platform

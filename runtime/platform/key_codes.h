// The keyboard's numbering of keys, as the runtime reports them: the set-1 make code of a PC
// keyboard's key, 128 more for the extended keys. Backends map their own key names onto these; the
// keys that code refers to by name are named here.
#pragma once

namespace rt {

inline constexpr int kExtendedKey = 128;

enum KeyCode : int {
  kKeyEscape = 0x01,
  kKeyTab = 0x0F,
  kKeyEnter = 0x1C,
  kKeyLeftCtrl = 0x1D,
  kKeyRightShift = 0x36,
  kKeyLeftAlt = 0x38,
  kKeySpace = 0x39,
  kKeyRightCtrl = kExtendedKey + 0x1D,
  kKeyRightAlt = kExtendedKey + 0x38,
  kKeyRight = kExtendedKey + 0x4D,
};

}  // namespace rt

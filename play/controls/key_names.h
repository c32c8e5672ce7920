// Readable names for the keys of the runtime's keyboard numbering (runtime/platform/key_codes.h),
// as the settings file and the help show them: "Escape", "LeftCtrl", "A", "F11", "Up".
#pragma once

#include <span>
#include <string_view>

namespace pellaris::play {

struct KeyName {
  int code;
  const char* name;
};

// Every key a backend reports, in the order of their codes.
std::span<const KeyName> KeyNames();
// The key's name, or nullptr for a code no key has.
const char* NameOfKey(int code);
// The code of a named key, in any letter case; 0 for a name no key has.
int KeyCodeOfName(std::string_view name);

}  // namespace pellaris::play

// The polled keyboard: one snapshot of every key per frame, read only while the display has the
// focus. Keys are named by scan code: the set-1 make code, plus 128 for the extended keys (see
// runtime/platform/key_codes.h).
#pragma once

#include "runtime/platform/key_codes.h"

namespace rt {

// 1 when the keyboard was set up by this call, non-zero when it already was, 0 without a keyboard.
int InitKeyboardInput();
// Takes a new snapshot: 1 when it was read, 0 while the display lacks the focus (every key then reads
// as up until a later read succeeds).
int ReadKeyboard();
// 128 while the key was held at the last successful read, else 0. -1 asks for any key 0..254 (1 or
// 0). Codes outside 0..255 read as up.
int KeyDown(int code);
// The keyboard's end routine, run by the runtime's end.
void EndKeyboardInput();

}  // namespace rt

// The program from the first instruction to the exit code: the runtime and the four devices, the
// display question, the display, then the game, and the runtime's end on every path.
#pragma once

#include <functional>
#include <string>

namespace pellaris {

// The devices the game starts, in this order; the first that cannot be opened ends the start.
enum class Device { Sprites, Keyboard, Sound, Mouse };

// The process's exit codes.
inline constexpr int kExitEnded = 0;   // the player quit, or the system asked the program to end
inline constexpr int kExitFailed = 1;  // a device, the window or the screen could not be opened

// The text under "Init Failed!" when a device cannot be opened. The game knows no options, so a front
// end that can tell the player more (how to play without it) words it; by default it names the device.
using DeviceFailureText = std::function<std::string(Device device)>;
std::string NameTheDevice(Device device);

// Runs the program; `playGame` is everything after the display is open (assets, title, rounds) and
// returns when the player quits. The result is the process's exit code.
int RunProgram(const std::function<void()>& playGame, const DeviceFailureText& explain = NameTheDevice);

}  // namespace pellaris

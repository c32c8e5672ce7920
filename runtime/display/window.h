// The window library: numbered top-level windows and the event call that reports what happens to them.
#pragma once

#include <cstdint>

#include "runtime/core/object_table.h"

namespace rt::platform {
struct Event;
}  // namespace rt::platform

namespace rt {

// OpenWindow flags. Other bits are window style bits: the title bar (added when no style bit is given)
// and the system menu with the close box make a decorated window.
inline constexpr std::uint32_t kWindowCentreOnScreen = 0x00000001;
inline constexpr std::uint32_t kWindowCentreOnParent = 0x00000002;  // or on the active window
inline constexpr std::uint32_t kWindowHidden = 0x10000000;
inline constexpr std::uint32_t kWindowTitleBar = 0x00C00000;
inline constexpr std::uint32_t kWindowSystemMenu = 0x00080000;
inline constexpr std::uint32_t kWindowDefaultFlags = kWindowTitleBar | kWindowSystemMenu;
// An x or y of this value asks for the system's default position.
inline constexpr int kDefaultWindowPosition = -65535;

// Event codes; any other non-zero code is the raw number of the message just taken (256 key down,
// 257 key up, 512 mouse move, 513/514 left button down/up, 516/517 right, 519/520 middle, 522 wheel).
// A window event is queued while its message is taken and reported by a later call, so a click on the
// close box reads as 274 (the system command) and then 16.
inline constexpr int kEventNone = 0;
inline constexpr int kEventMoved = 3;
inline constexpr int kEventResized = 5;
inline constexpr int kEventRepaint = 15;
inline constexpr int kEventCloseRequest = 16;
inline constexpr int kEventActivated = 13104;

// Runs before any other window call; EndRuntime ends it (closing every window).
void StartWindowLibrary();
void EndWindowLibrary();

// Width and height are the client area. For a number of 0 or more the result is the window's handle,
// for -1 the new automatic number; 0 on failure. Opening a number in use closes the old window first.
ObjectNumber OpenWindow(ObjectNumber number, int x, int y, int width, int height, const char* title,
                        std::uint32_t flags = kWindowDefaultFlags);
// The native handle of the window, 0 if there is none.
std::int64_t WindowHandle(ObjectNumber number);
void CloseWindow(ObjectNumber number);

// One event per call: queued window events first, else one message taken from the system.
int PollWindowEvent();  // 0 when there is nothing
int WaitWindowEvent();  // waits until there is something

// The icon of every window, present and future; 0x00RRGGBB pixels, 0 transparent. Copied.
void SetProgramIcon(const std::uint32_t* pixels, int width, int height);
// Puts that icon on a window the library did not open (the full-screen display's).
void ApplyProgramIcon(std::uint32_t window);

// Used by the display: the handling of one platform event by the display and the windows (queueing
// their events); returns the event's raw message number.
int DispatchEvent(const platform::Event& event);
// Takes and dispatches everything pending, as a full-screen presentation does every frame.
void DispatchPendingEvents();

}  // namespace rt

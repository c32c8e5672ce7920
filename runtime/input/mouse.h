// The polled mouse: once per frame ReadMouse collects the motion and button changes since the last
// read into a pointer position of its own, kept inside the screen. While the game has the mouse the
// desktop does not: in a window the cursor is hidden and held inside the screen's area, in full
// screen the mouse reports motion without an edge.
#pragma once

#include <vector>

namespace rt {

inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseRight = 2;
inline constexpr int kMouseMiddle = 3;

// 1 when the mouse is there, 0 without one.
int InitMouseInput();
// Collects the events since the last read: 1 when they were applied, 0 while the mouse is released or
// the display lacks the focus, on the first read after the focus returns, and when more button changes
// waited than the mouse keeps (buttons 1 and 2 then read as up and nothing moves).
int ReadMouse();
// 1 while button 1 (left), 2 (right) or 3 (middle) is held after the last read; 0 for other numbers.
int MouseButtonDown(int button);
// Sets the buttons as a read would have left them held (1 the left, 2 the right, 3 the middle), for a
// round taken from one game and played on in another; the next read goes on from them.
void RestoreMouseButtons(const std::vector<int>& held);
// 1 gives the mouse back to the desktop at once; any other value lets the next read take it again.
void ReleaseMouse(int flag);

int MouseX();
int MouseY();
int MouseDeltaX();  // summed motion of the last read
int MouseDeltaY();
int MouseWheel();                // wheel steps of the last read, positive away from the user
void MouseLocate(int x, int y);  // no clamping, no cursor movement

// The mouse's end routine, run by the runtime's end.
void EndMouseInput();

}  // namespace rt

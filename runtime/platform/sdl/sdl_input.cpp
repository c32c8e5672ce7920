#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

namespace {

// The rectangle every display together spans, in the coordinates of window positions.
Rect DesktopBounds() {
  SDL_Rect all{};
  for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) != 0) continue;
    if (SDL_RectEmpty(&all)) {
      all = bounds;
    } else {
      SDL_UnionRect(&all, &bounds, &all);
    }
  }
  return Rect{all.x, all.y, all.w, all.h};
}

bool SameArea(const std::optional<SDL_Rect>& a, const std::optional<SDL_Rect>& b) {
  if (!a || !b) return !a && !b;
  return a->x == b->x && a->y == b->y && a->w == b->w && a->h == b->h;
}

}  // namespace

bool SdlInput::NextEvent(Event& event, int timeoutMs) {
  sdl_.Pump();
  if (sdl_.Queue().Pop(event)) return true;
  if (timeoutMs == 0 || !sdl_.EventsRunning()) return false;
  const Uint64 start = SDL_GetTicks64();
  for (;;) {
    int remaining = -1;
    if (timeoutMs > 0) {
      const Uint64 elapsed = SDL_GetTicks64() - start;
      if (elapsed >= static_cast<Uint64>(timeoutMs)) return false;
      remaining = timeoutMs - static_cast<int>(elapsed);
    }
    if (!sdl_.WaitForEvent(remaining)) return false;
    if (sdl_.Queue().Pop(event)) return true;  // SDL events we do not report keep the wait going
  }
}

void SdlInput::ReadKeyState(std::uint8_t state[256]) {
  sdl_.Pump();
  sdl_.Queue().ReadKeyState(state);
}

int SdlInput::TakeMouseEvents(MouseEvent* out, int max) {
  sdl_.Pump();
  return sdl_.Queue().TakeMouseEvents(out, max);
}

void SdlInput::ReadPadState(PadState& state) {
  sdl_.EnsurePads();
  sdl_.Pump();
  sdl_.Queue().ReadPadState(state);
}

void SdlInput::ShowCursor(bool visible) {
  if (sdl_.VideoReady()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlInput::ReleaseConfinement() {
  if (SdlWindow* window = sdl_.Find(confined_)) {
    HoldIn(window->Window(), std::nullopt);
    SDL_SetWindowGrab(window->Window(), SDL_FALSE);
  }
  confined_ = 0;
  confineArea_.reset();
}

void SdlInput::HoldIn(SDL_Window* window, const std::optional<SDL_Rect>& area) {
  SDL_SetWindowMouseRect(window, area ? &*area : nullptr);
}

// The grab pulls the cursor into the window and holds it there while the window has the focus (SDL
// lets go when the focus leaves); the rectangle narrows it to the area.
void SdlInput::ConfineCursor(WindowId window, const Rect* clientArea) {
  SdlWindow* found = sdl_.Find(window);
  if (!clientArea || !found) {
    ReleaseConfinement();
    return;
  }
  // Of a window partly off the desktop, only what is on it holds the cursor; the grab keeps it in
  // the window all the same.
  int x = 0, y = 0;
  SDL_GetWindowPosition(found->Window(), &x, &y);
  const std::optional<Rect> onDesktop =
      ConfinementOnDesktop(found->ToOutput(*clientArea), x, y, DesktopBounds());
  std::optional<SDL_Rect> area;
  if (onDesktop) area = SDL_Rect{onDesktop->x, onDesktop->y, onDesktop->width, onDesktop->height};
  // The game confines the cursor every frame. SDL keeps a confinement, and puts it back itself when
  // the focus returns; setting it again would only rebuild it on the X server.
  if (confined_ == window && SameArea(area, confineArea_)) return;
  if (confined_ != window) {
    ReleaseConfinement();
    warpDue_ = true;  // the grab may have moved the cursor where SDL does not see it
  }
  confineArea_ = area;
  HoldIn(found->Window(), confineArea_);
  SDL_SetWindowGrab(found->Window(), SDL_TRUE);
  confined_ = window;
}

void SdlInput::WarpCursor(WindowId window, int logicalX, int logicalY) {
  SdlWindow* found = sdl_.Find(window);
  if (!found) return;
  const Rect at = found->ToOutput(Rect{logicalX, logicalY, 1, 1});
  const int x = at.x, y = at.y;
  // SDL forgets the cursor's position at every warp, so the next motion reports no distance: warp
  // only when the cursor is not where it should be, or may not be.
  int cursorX = 0, cursorY = 0;
  SDL_GetMouseState(&cursorX, &cursorY);
  if (!warpDue_ && SDL_GetMouseFocus() == found->Window() && cursorX == x && cursorY == y) return;
  warpDue_ = false;
  // SDL does not warp a cursor held by a confinement rectangle; it is lifted for the warp.
  const bool confined = confined_ == window;
  if (confined) HoldIn(found->Window(), std::nullopt);
  SDL_WarpMouseInWindow(found->Window(), x, y);
  if (confined) HoldIn(found->Window(), confineArea_);
  sdl_.NoteWarp(window, x, y);
}

void SdlInput::SetRelativeMouse(bool on) {
  if (sdl_.VideoReady()) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

}  // namespace rt::platform

#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

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
    SDL_SetWindowMouseRect(window->Window(), nullptr);
    SDL_SetWindowGrab(window->Window(), SDL_FALSE);
  }
  confined_ = 0;
}

// The grab pulls the cursor into the window and holds it there while the window has the focus (SDL
// lets go when the focus leaves); the rectangle narrows it to the area.
void SdlInput::ConfineCursor(WindowId window, const Rect* clientArea) {
  SdlWindow* found = sdl_.Find(window);
  if (!clientArea || !found) {
    ReleaseConfinement();
    return;
  }
  if (confined_ != window) {
    ReleaseConfinement();
    warpDue_ = true;  // the grab may have moved the cursor where SDL does not see it
  }
  const Rect area = found->ToOutput(*clientArea);
  confineArea_ = SDL_Rect{area.x, area.y, area.width, area.height};
  SDL_SetWindowMouseRect(found->Window(), &confineArea_);
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
  if (confined) SDL_SetWindowMouseRect(found->Window(), nullptr);
  SDL_WarpMouseInWindow(found->Window(), x, y);
  if (confined) SDL_SetWindowMouseRect(found->Window(), &confineArea_);
  sdl_.NoteWarp(window, x, y);
}

void SdlInput::SetRelativeMouse(bool on) {
  if (sdl_.VideoReady()) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

}  // namespace rt::platform

// What the web backend's facets share: the page's one game window (the canvas, in the page or full
// screen), the events taken from the browser with the keyboard, mouse and controller state they leave
// behind, and whether the page has the focus.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/web/web_pads.h"

namespace rt::platform {

// The canvas's R, G, B, A bytes (opaque) of 0x00RRGGBB pixels, row after row, and a pixel back from them.
void ToCanvasBytes(const std::uint32_t* pixels, int width, int height, int pitchBytes,
                   std::vector<std::uint32_t>& rgba);
std::uint32_t FromCanvasBytes(std::uint32_t rgba);

class WebPage {
 public:
  WebPage();
  ~WebPage();
  WebPage(const WebPage&) = delete;
  WebPage& operator=(const WebPage&) = delete;

  EventQueue& Queue() { return queue_; }

  // The game's window is the canvas; opening another replaces it, as the page has one.
  WindowId OpenWindow(int width, int height, bool fullScreen, bool visible);
  void CloseWindow(WindowId window);
  bool IsWindow(WindowId window) const { return window != 0 && window == window_; }
  bool FullScreen() const { return fullScreen_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  WindowId FocusedWindow() const { return focused_ && visible_ ? window_ : 0; }

  // Shows 0x00RRGGBB pixels on the canvas, in the window's (x, y, width, height) area; a full-screen
  // window's canvas takes the picture's size.
  void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& dest);

  // While a message box is up, the keys and buttons are the box's.
  void SetDialogOpen(bool open) { dialogOpen_ = open; }
  bool DialogOpen() const { return dialogOpen_; }
  bool HasWindow() const { return window_ != 0; }

  // What the browser's event handlers hand over.
  void TakeKey(bool down, int scanCode);
  void TakeButton(bool down, int button);
  void TakeMotion(int dx, int dy);
  void TakeWheel(int steps);
  void TakeFocus(bool focused);
  void TakeVisibility(bool visible);
  // Reads the controllers (the browser tells of them only when asked) into the events and state.
  void PollPads();

 private:
  Event Addressed(EventType type) const;  // an event for the page's window
  void Send(EventType type);
  void FocusChanged(bool wasActive);

  EventQueue queue_;
  WindowId window_ = 0, lastWindow_ = 0;
  bool fullScreen_ = false;
  int clientWidth_ = 0, clientHeight_ = 0;
  bool focused_ = true, visible_ = true;
  bool dialogOpen_ = false;
  std::vector<std::uint32_t> rgba_;  // the picture in the canvas's byte order
  WebPads pads_;
  int padsShown_ = 0, otherPadsShown_ = 0;  // as the page was last told
};

}  // namespace rt::platform

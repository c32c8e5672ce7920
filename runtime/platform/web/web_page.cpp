#include "runtime/platform/web/web_page.h"

#include <emscripten/html5.h>

#include <string_view>

#include "runtime/platform/web/web_keys.h"
#include "runtime/platform/web/web_library.h"

namespace rt::platform {

namespace {

constexpr const char* kCanvas = "#screen";

bool FunctionKey(int code) {
  return (code >= 0x3B && code <= 0x44) || code == 0x57 || code == 0x58;
}

bool LetterOrDigit(const char* code) {
  const std::string_view name(code);
  return name.starts_with("Key") || name.starts_with("Digit");
}

// The game's keys do not scroll the page or reach the browser's menus; the function keys and the
// shortcuts with Ctrl or the system key stay the browser's (reload, full screen, new tab).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void* data) {
  auto& page = *static_cast<WebPage*>(data);
  const int code = KeyCodeFromDomCode(event->code);
  if (page.DialogOpen() || code == 0) return EM_FALSE;
  if (!event->repeat) page.TakeKey(type == EMSCRIPTEN_EVENT_KEYDOWN, code);
  const bool browsers = FunctionKey(code) || event->metaKey || (event->ctrlKey && LetterOrDigit(event->code));
  return browsers ? EM_FALSE : EM_TRUE;
}

EM_BOOL OnButton(int type, const EmscriptenMouseEvent* event, void* data) {
  auto& page = *static_cast<WebPage*>(data);
  const int button = ButtonFromDomButton(event->button);
  if (page.DialogOpen() || button == 0) return EM_FALSE;
  page.TakeButton(type == EMSCRIPTEN_EVENT_MOUSEDOWN, button);
  return EM_FALSE;
}

EM_BOOL OnMotion(int, const EmscriptenMouseEvent* event, void* data) {
  auto& page = *static_cast<WebPage*>(data);
  if (!page.DialogOpen())
    page.TakeMotion(static_cast<int>(event->movementX), static_cast<int>(event->movementY));
  return EM_FALSE;
}

// One step a turn of the wheel, away from the player positive; the page does not scroll under the game.
EM_BOOL OnWheel(int, const EmscriptenWheelEvent* event, void* data) {
  auto& page = *static_cast<WebPage*>(data);
  if (page.DialogOpen() || !page.HasWindow()) return EM_FALSE;
  page.TakeWheel(event->deltaY < 0 ? 1 : event->deltaY > 0 ? -1 : 0);
  return EM_TRUE;
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void* data) {
  static_cast<WebPage*>(data)->TakeFocus(type == EMSCRIPTEN_EVENT_FOCUS);
  return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void* data) {
  static_cast<WebPage*>(data)->TakeVisibility(!event->hidden);
  return EM_FALSE;
}

}  // namespace

// 0x00RRGGBB words, stored little-endian as B, G, R, 0, swap their outer bytes to be R, G, B, A.
void ToCanvasBytes(const std::uint32_t* pixels, int width, int height, int pitchBytes,
                   std::vector<std::uint32_t>& rgba) {
  rgba.resize(static_cast<std::size_t>(width) * height);
  std::uint32_t* out = rgba.data();
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                             static_cast<std::ptrdiff_t>(pitchBytes) * y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      *out++ = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
    }
  }
}

std::uint32_t FromCanvasBytes(std::uint32_t rgba) {
  return (rgba & 0xFFu) << 16 | (rgba & 0xFF00u) | (rgba >> 16 & 0xFFu);
}

WebPage::WebPage() {
  pellaris_web_start();
  focused_ = pellaris_web_page_focused() != 0;
  EmscriptenVisibilityChangeEvent visibility{};
  if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS)
    visible_ = !visibility.hidden;
  // Keys and the button releases anywhere in the page; presses, motion and the wheel over the game.
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, this, EM_FALSE, OnKey);
  emscripten_set_keyup_callback(window, this, EM_FALSE, OnKey);
  emscripten_set_mousedown_callback(kCanvas, this, EM_FALSE, OnButton);
  emscripten_set_mouseup_callback(window, this, EM_FALSE, OnButton);
  emscripten_set_mousemove_callback(kCanvas, this, EM_FALSE, OnMotion);
  emscripten_set_wheel_callback(kCanvas, this, EM_FALSE, OnWheel);
  emscripten_set_focus_callback(window, this, EM_FALSE, OnFocus);
  emscripten_set_blur_callback(window, this, EM_FALSE, OnFocus);
  emscripten_set_visibilitychange_callback(this, EM_FALSE, OnVisibility);
}

WebPage::~WebPage() {
  emscripten_html5_remove_all_event_listeners();
  CloseWindow(window_);
}

WindowId WebPage::OpenWindow(int width, int height, bool fullScreen, bool visible) {
  if (width <= 0 || height <= 0) return 0;
  CloseWindow(window_);
  window_ = ++lastWindow_;
  fullScreen_ = fullScreen;
  clientWidth_ = width;
  clientHeight_ = height;
  pellaris_web_open_window(width, height, fullScreen ? 1 : 0, visible ? 1 : 0);
  // As on a desktop: a new window comes up in front, with the focus if the page has it, and asks to be
  // painted.
  if (visible) {
    if (FocusedWindow() != 0) Send(EventType::FocusGained);
    Send(EventType::Exposed);
  }
  return window_;
}

void WebPage::CloseWindow(WindowId window) {
  if (!IsWindow(window)) return;
  pellaris_web_close_window();
  window_ = 0;
  fullScreen_ = false;
  clientWidth_ = clientHeight_ = 0;
}

void WebPage::Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& dest) {
  ToCanvasBytes(pixels, width, height, pitchBytes, rgba_);
  pellaris_web_present(rgba_.data(), width, height, dest.x, dest.y, dest.width, dest.height,
                       fullScreen_ ? 1 : 0);
}

Event WebPage::Addressed(EventType type) const {
  Event event;
  event.type = type;
  event.window = window_;
  return event;
}

void WebPage::Send(EventType type) {
  queue_.Push(Addressed(type));
}

void WebPage::TakeKey(bool down, int scanCode) {
  Event event = Addressed(down ? EventType::KeyDown : EventType::KeyUp);
  event.scanCode = scanCode;
  queue_.Push(event);
}

void WebPage::TakeButton(bool down, int button) {
  Event event = Addressed(down ? EventType::MouseButtonDown : EventType::MouseButtonUp);
  event.button = button;
  queue_.Push(event);
}

void WebPage::TakeMotion(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  Event event = Addressed(EventType::MouseMotion);
  event.dx = dx;
  event.dy = dy;
  queue_.Push(event);
}

void WebPage::TakeWheel(int steps) {
  if (steps == 0) return;
  Event event = Addressed(EventType::MouseWheel);
  event.wheel = steps;
  queue_.Push(event);
}

// A page in a hidden tab has lost the focus as much as one behind another window.
void WebPage::TakeFocus(bool focused) {
  const bool wasActive = focused_ && visible_;
  focused_ = focused;
  FocusChanged(wasActive);
}

void WebPage::TakeVisibility(bool visible) {
  const bool wasActive = focused_ && visible_;
  visible_ = visible;
  FocusChanged(wasActive);
}

void WebPage::PollPads() {
  static_assert(sizeof(PadReading) == 32, "the page writes 8 words a slot");
  PadReading slots[kPadSlots];
  pellaris_web_read_pads(slots, kPadSlots);
  pads_.Take(slots, queue_);
  if (pads_.Connected() == padsShown_ && pads_.OtherLayouts() == otherPadsShown_) return;
  padsShown_ = pads_.Connected();
  otherPadsShown_ = pads_.OtherLayouts();
  pellaris_web_pads_seen(padsShown_, otherPadsShown_);
}

void WebPage::FocusChanged(bool wasActive) {
  const bool active = focused_ && visible_;
  if (active == wasActive) return;
  if (!active) {
    // The browser sends no key-up for a key let go elsewhere: held keys are released here, as a
    // desktop does when a window loses the keyboard.
    std::uint8_t keys[256];
    queue_.ReadKeyState(keys);
    for (int code = 0; code < 256; ++code)
      if (keys[code]) TakeKey(false, code);
  }
  if (window_ != 0) Send(active ? EventType::FocusGained : EventType::FocusLost);
}

}  // namespace rt::platform

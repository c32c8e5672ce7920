#include "runtime/display/window.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/display/screen.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

using platform::EventType;
using platform::WindowId;

constexpr int kTableStep = 16;
constexpr std::uint32_t kRuntimeBits = kWindowCentreOnScreen | kWindowCentreOnParent | kWindowHidden;

// Raw message numbers of the events that are not window events of their own.
constexpr int kRawActivation = 6;
constexpr int kRawPaint = 15;
constexpr int kRawDisplayChange = 126;
constexpr int kRawKeyDown = 256;
constexpr int kRawKeyUp = 257;
constexpr int kRawSystemCommand = 274;  // carries a close request; the code 16 follows from the queue
constexpr int kRawMouseMove = 512;
constexpr int kRawLeftDown = 513;
constexpr int kRawRightDown = 516;
constexpr int kRawMiddleDown = 519;
constexpr int kRawWheel = 522;
constexpr int kRawSizing = 532;
constexpr int kRawMoving = 534;
constexpr int kRawDeviceChange = 537;

struct WindowRecord {
  WindowId id = 0;
};

struct QueuedEvent {
  int code = 0;
  ObjectNumber window = -1;
  bool operator==(const QueuedEvent&) const = default;
};

void CloseWindowInSlot(ObjectNumber number);

struct Icon {
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
};

// The window table and its event queue while the library runs; the icon outlives them, as every
// window opened later takes it too.
struct WindowLibrary : LibraryState {
  std::unique_ptr<ObjectTable<WindowRecord>> windows;
  std::deque<QueuedEvent> queue;
  Icon icon;
};

WindowLibrary& Library() {
  return PartOf<WindowLibrary>(Runtime().windows);
}

// The window table, or nullptr while the library is not running.
ObjectTable<WindowRecord>* Table() {
  return Library().windows.get();
}

void DestroyRecordWindow(const WindowRecord& record) {
  if (record.id != 0) platform::Video().DestroyWindow(record.id);
}

// Runs before a number is opened again: the old window goes first.
void CloseWindowInSlot(ObjectNumber number) {
  if (const WindowRecord* record = Table()->Get(number)) DestroyRecordWindow(*record);
}

// Places a window centred on the active window, whose frame is taken to be like ours.
// Without one the position stays as given.
void CentreOnActiveWindow(platform::WindowDesc& desc) {
  const WindowId active = platform::Video().FocusedWindow();
  platform::Rect outer, client;
  if (active == 0 || !platform::Video().WindowGeometry(active, outer, client)) return;
  const int frameWidth = desc.decorated ? outer.width - client.width : 0;
  const int frameHeight = desc.decorated ? outer.height - client.height : 0;
  desc.x = std::max(0, outer.x + (outer.width - (desc.clientWidth + frameWidth)) / 2);
  desc.y = std::max(0, outer.y + (outer.height - (desc.clientHeight + frameHeight)) / 2);
}

// Centred on the screen; a window larger than the screen starts at its top-left corner instead.
void CentreOnScreen(platform::WindowDesc& desc) {
  int width = 0, height = 0, depth = 0;
  const bool known = platform::Video().DesktopMode(width, height, depth);
  desc.centred = !known || (desc.clientWidth < width && desc.clientHeight < height);
  if (!desc.centred) desc.x = desc.y = 0;
}

platform::WindowDesc Describe(int x, int y, int width, int height, const char* title, std::uint32_t flags) {
  std::uint32_t style = flags & ~kRuntimeBits;
  if (style == 0) style = kWindowTitleBar;
  platform::WindowDesc desc;
  desc.title = title ? title : "";
  desc.clientWidth = width;
  desc.clientHeight = height;
  desc.x = x;
  desc.y = y;
  desc.decorated = (style & kWindowTitleBar) != 0;
  desc.visible = (flags & kWindowHidden) == 0;
  if (flags & kWindowCentreOnScreen) {
    CentreOnScreen(desc);
  } else if (flags & kWindowCentreOnParent) {
    CentreOnActiveWindow(desc);
  } else if (x == kDefaultWindowPosition || y == kDefaultWindowPosition) {
    desc.centred = true;
  }
  return desc;
}

ObjectNumber FindWindowNumber(WindowId id) {
  ObjectNumber found = -1;
  Table()->ForEach([&](ObjectNumber number, const WindowRecord& record) {
    if (record.id != id) return true;
    found = number;
    return false;
  });
  return found;
}

// The window event an event of the platform makes, or 0.
int WindowEventCode(const platform::Event& event) {
  switch (event.type) {
    case EventType::CloseRequest:
      return kEventCloseRequest;
    case EventType::Moved:
      return kEventMoved;
    case EventType::Resized:  // a minimised window has no size and reports nothing
      return event.width > 0 && event.height > 0 ? kEventResized : 0;
    case EventType::Exposed:
      return kEventRepaint;
    case EventType::FocusGained:
      return kEventActivated;
    default:
      return 0;
  }
}

// Consecutive duplicates collapse into one.
void QueueWindowEvent(const platform::Event& event) {
  const int code = WindowEventCode(event);
  if (code == 0) return;
  const ObjectNumber window = FindWindowNumber(event.window);
  if (window < 0) return;
  const QueuedEvent queued{code, window};
  std::deque<QueuedEvent>& queue = Library().queue;
  if (queue.empty() || !(queue.back() == queued)) queue.push_back(queued);
}

int ButtonMessage(int button, int leftMessage) {
  switch (button) {
    case 1:
      return leftMessage;
    case 2:
      return leftMessage - kRawLeftDown + kRawRightDown;
    default:
      return leftMessage - kRawLeftDown + kRawMiddleDown;
  }
}

int RawMessageNumber(const platform::Event& event) {
  switch (event.type) {
    case EventType::CloseRequest:
      return kRawSystemCommand;
    case EventType::Moved:
      return kRawMoving;
    case EventType::Resized:
      return kRawSizing;
    case EventType::Exposed:
      return kRawPaint;
    case EventType::FocusGained:
    case EventType::FocusLost:
      return kRawActivation;
    case EventType::KeyDown:
      return kRawKeyDown;
    case EventType::KeyUp:
      return kRawKeyUp;
    case EventType::MouseMotion:
      return kRawMouseMove;
    case EventType::MouseButtonDown:
      return ButtonMessage(event.button, kRawLeftDown);
    case EventType::MouseButtonUp:
      return ButtonMessage(event.button, kRawLeftDown + 1);
    case EventType::MouseWheel:
      return kRawWheel;
    case EventType::AudioDeviceLost:
      return kRawDeviceChange;
    case EventType::DisplayChanged:
      return kRawDisplayChange;
    case EventType::QuitRequest:  // ends the program in a window and in full screen alike
      return kEventCloseRequest;
    case EventType::PadAdded:  // pads are read as a state, not as messages
    case EventType::PadRemoved:
    case EventType::PadButtonDown:
    case EventType::PadButtonUp:
    case EventType::PadAxisMotion:
      return kEventNone;
  }
  return 0;
}

int EventCall(int timeoutMs) {
  std::deque<QueuedEvent>& queue = Library().queue;
  if (Table() && !queue.empty()) {
    const QueuedEvent oldest = queue.front();
    queue.pop_front();
    return oldest.code;
  }
  platform::Event event;
  if (!platform::Input().NextEvent(event, timeoutMs)) return kEventNone;
  return DispatchEvent(event);
}

}  // namespace

void StartWindowLibrary() {
  if (Table()) return;
  Library().windows = std::make_unique<ObjectTable<WindowRecord>>(kTableStep, CloseWindowInSlot);
  Library().queue.clear();
}

void EndWindowLibrary() {
  ObjectTable<WindowRecord>* table = Table();
  if (!table) return;
  table->ResetIteration();
  ObjectNumber number = 0;
  while (table->Next(&number)) CloseWindow(number);
  Library().windows.reset();
  Library().queue.clear();
}

ObjectNumber OpenWindow(ObjectNumber number, int x, int y, int width, int height, const char* title,
                        std::uint32_t flags) {
  ObjectTable<WindowRecord>* table = Table();
  if (!table || width <= 0 || height <= 0) return 0;
  ObjectNumber assigned = 0;
  WindowRecord* record = table->Allocate(number, &assigned);
  if (!record) return 0;
  const WindowId id = platform::Video().CreateWindow(Describe(x, y, width, height, title, flags));
  if (id == 0) {
    table->Free(assigned);
    return 0;
  }
  record->id = id;
  ApplyProgramIcon(id);
  return number == kAutomaticObject ? assigned : static_cast<ObjectNumber>(id);
}

std::int64_t WindowHandle(ObjectNumber number) {
  ObjectTable<WindowRecord>* table = Table();
  const WindowRecord* record = table ? table->Get(number) : nullptr;
  return record ? record->id : 0;
}

void CloseWindow(ObjectNumber number) {
  ObjectTable<WindowRecord>* table = Table();
  const WindowRecord* record = table ? table->Get(number) : nullptr;
  if (!record) return;
  DestroyRecordWindow(*record);
  table->Free(number);
}

int PollWindowEvent() {
  return EventCall(0);
}
int WaitWindowEvent() {
  return EventCall(-1);
}

void SetProgramIcon(const std::uint32_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return;
  Icon& icon = Library().icon;
  icon.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
  icon.width = width;
  icon.height = height;
  ObjectTable<WindowRecord>* table = Table();
  if (!table) return;
  table->ForEach([](ObjectNumber, const WindowRecord& record) {
    ApplyProgramIcon(record.id);
    return true;
  });
}

void DispatchPendingEvents() {
  platform::Event event;
  while (platform::Input().NextEvent(event, 0)) DispatchEvent(event);
}

void ApplyProgramIcon(std::uint32_t window) {
  const Icon& icon = Library().icon;
  if (!icon.pixels.empty())
    platform::Video().SetWindowIcon(window, icon.pixels.data(), icon.width, icon.height);
}

int DispatchEvent(const platform::Event& event) {
  HandleDisplayEvent(event);
  if (Table()) QueueWindowEvent(event);
  return RawMessageNumber(event);
}

}  // namespace rt

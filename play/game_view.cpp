#include "play/game_view.h"

#include <algorithm>
#include <span>
#include <string>

#include "runtime/display/screen.h"
#include "runtime/platform/forwarding_facets.h"

namespace pellaris::play {

namespace {

using rt::platform::Event;
using rt::platform::EventType;
using rt::platform::MouseEvent;
using Type = ScriptEvent::Type;

constexpr std::uint8_t kHeld = 0x80;
// Beyond this many events waiting for the game, the oldest go (as the backends' own queues do).
constexpr std::size_t kMaxEvents = 512;

rt::DateValue DateOf(const rt::platform::LocalDateTime& t) {
  return rt::MakeDate(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

rt::platform::LocalDateTime LocalTimeOf(rt::DateValue date) {
  return {rt::DateYear(date), rt::DateMonth(date),  rt::DateDay(date),
          rt::DateHour(date), rt::DateMinute(date), rt::DateSecond(date)};
}

// The window manager's events: they change what is on the screen, never what the game does.
bool AboutTheDisplay(EventType type) {
  return type == EventType::Moved || type == EventType::Resized || type == EventType::Exposed ||
         type == EventType::DisplayChanged || type == EventType::AudioDeviceLost ||
         type == EventType::QuitRequest;
}

}  // namespace

class GameView::Video : public rt::platform::ForwardingVideo {
 public:
  Video(GameView& view, rt::platform::VideoFacet& machine) : ForwardingVideo(machine), view_(view) {}

  rt::platform::WindowId CreateWindow(const rt::platform::WindowDesc& desc) override {
    return Own(next_.CreateWindow(desc));
  }
  rt::platform::WindowId CreateFullScreenWindow(const std::string& title) override {
    return Own(next_.CreateFullScreenWindow(title));
  }
  void DestroyWindow(rt::platform::WindowId window) override {
    if (window == view_.window_) view_.window_ = 0;
    next_.DestroyWindow(window);
  }
  rt::platform::WindowId FocusedWindow() override { return view_.focused_ ? view_.window_ : 0; }

 private:
  rt::platform::WindowId Own(rt::platform::WindowId window) {
    if (window != 0) view_.window_ = window;
    return window;
  }

  GameView& view_;
};

class GameView::Input : public rt::platform::ForwardingInput {
 public:
  Input(GameView& view, rt::platform::InputFacet& machine) : ForwardingInput(machine), view_(view) {}

  // Only what the pass took in; waiting for more would wait for the next pass, so it never waits.
  bool NextEvent(Event& event, int) override {
    if (view_.events_.empty()) return false;
    event = view_.events_.front();
    view_.events_.pop_front();
    return true;
  }
  void ReadKeyState(std::uint8_t state[256]) override {
    std::copy(view_.keys_.begin(), view_.keys_.end(), state);
  }
  int TakeMouseEvents(MouseEvent* out, int max) override {
    int count = 0;
    for (; count < max && !view_.mouse_.empty(); ++count) {
      out[count] = view_.mouse_.front();
      view_.mouse_.pop_front();
    }
    return count;
  }
  // The controllers reach the game as its keys.
  void ReadPadState(rt::platform::PadState& state) override { state = rt::platform::PadState{}; }

 private:
  GameView& view_;
};

class GameView::Clock : public rt::platform::ForwardingClock {
 public:
  Clock(GameView& view, rt::platform::ClockFacet& machine) : ForwardingClock(machine), view_(view) {}

  rt::platform::LocalDateTime LocalTime() override {
    return view_.date_ ? LocalTimeOf(*view_.date_) : next_.LocalTime();
  }
  void FrameBoundary() override {
    next_.FrameBoundary();
    view_.BeginPass();
  }
  void SleepMs(int milliseconds) override {
    if (view_.paced_) next_.SleepMs(milliseconds);
  }
  void SleepUntil(std::uint64_t counter) override {
    if (view_.paced_) next_.SleepUntil(counter);
  }

 private:
  GameView& view_;
};

GameView::GameView(const rt::platform::Backend& machine)
    : machine_(machine),
      video_(std::make_unique<Video>(*this, *machine.video)),
      input_(std::make_unique<Input>(*this, *machine.input)),
      clock_(std::make_unique<Clock>(*this, *machine.clock)) {}

GameView::~GameView() = default;

rt::platform::Backend GameView::Facets() {
  rt::platform::Backend facets = machine_;
  facets.video = video_.get();
  facets.input = input_.get();
  facets.clock = clock_.get();
  return facets;
}

void GameView::ReadMachine(PassListener listener) {
  scripted_ = false;
  listener_ = std::move(listener);
}

void GameView::PlayScript(std::vector<ScriptEvent> events, PassListener listener) {
  scripted_ = true;
  script_ = std::move(events);
  nextScriptEvent_ = 0;
  listener_ = std::move(listener);
}

void GameView::PlayRecording(const Recording& recording, PassListener listener) {
  PlayScript(recording.events, std::move(listener));
  if (recording.header.format == 1) return;
  const StartInput& input = recording.header.input;
  for (const int key : input.keys) keys_[static_cast<std::size_t>(key & 0xFF)] = kHeld;
  if (!input.focused) SetFocus(false);
  focused_ = input.focused;
  date_ = recording.header.date;
  startPaused_ = input.paused;
}

StartInput GameView::InputNow() const {
  StartInput input;
  for (int key = 0; key < 256; ++key) {
    if (keys_[static_cast<std::size_t>(key)] != 0) input.keys.push_back(key);
  }
  input.focused = focused_;
  input.paused = held_;
  return input;
}

// A recorded round's pause is the game's from its first pass on.
void GameView::BeginRecordedRound() {
  if (startPaused_) {
    held_ = true;
    rt::HoldScreen(true);
    startPaused_ = false;
  }
}

void GameView::BeginPass() {
  before_ = InputNow();
  ++pass_;
  if (pass_ == 1) BeginRecordedRound();
  std::vector<ScriptEvent> changes;
  TakeMachineEvents(!scripted_, changes);
  if (scripted_) {
    ApplyScript(changes);
  } else {
    ReadDevices(changes);
  }
  if (listener_) listener_(pass_, changes);
}

ScriptEvent GameView::Change(Type type, int a, int b) const {
  ScriptEvent event;
  event.frame = pass_;
  event.type = type;
  event.a = a;
  event.b = b;
  return event;
}

// The window manager's events pass as they are, and a close request as one for the program's window;
// the input devices' events do not: the view reads the devices' state instead.
void GameView::TakeMachineEvents(bool recording, std::vector<ScriptEvent>& changes) {
  Event event;
  while (machine_.input->NextEvent(event, 0)) {
    if (event.type == EventType::CloseRequest) {
      event.window = window_;
      if (recording) changes.push_back(Change(Type::Close));
    } else if (!AboutTheDisplay(event.type)) {
      continue;
    }
    if (events_.size() >= kMaxEvents) events_.pop_front();
    events_.push_back(event);
  }
}

void GameView::ReadDevices(std::vector<ScriptEvent>& changes) {
  std::uint8_t keys[256];
  machine_.input->ReadKeyState(keys);
  for (int key = 0; key < 256; ++key) {
    const std::uint8_t now = keys[key] != 0 ? kHeld : 0;
    if (now == keys_[key]) continue;
    keys_[key] = now;
    changes.push_back(Change(now != 0 ? Type::KeyDown : Type::KeyUp, key));
  }
  MouseEvent records[64];
  while (const int count = machine_.input->TakeMouseEvents(records, 64)) {
    for (const MouseEvent& record : std::span(records, count)) {
      if (record.type == MouseEvent::Type::Move) {
        if (record.dx == 0 && record.dy == 0) continue;  // the wheel alone: the game has no use for it
        changes.push_back(Change(Type::Move, record.dx, record.dy));
      } else {
        changes.push_back(Change(
            record.type == MouseEvent::Type::ButtonDown ? Type::ButtonDown : Type::ButtonUp, record.button));
      }
      mouse_.push_back(MouseEvent{record.type, record.dx, record.dy, 0, record.button});
    }
  }
  const bool focused = window_ != 0 && machine_.video->FocusedWindow() == window_;
  if (focused != focused_) {
    SetFocus(focused);
    changes.push_back(Change(focused ? Type::FocusGained : Type::FocusLost));
  }
  const rt::DateValue date = DateOf(machine_.clock->LocalTime());
  if (date != date_) {
    date_ = date;
    ScriptEvent change = Change(Type::Time);
    change.seconds = date;
    changes.push_back(change);
  }
  if (rt::ScreenHeld() != held_) {
    held_ = rt::ScreenHeld();
    changes.push_back(Change(Type::Pause, held_ ? 1 : 0));
  }
}

void GameView::ApplyScript(std::vector<ScriptEvent>& changes) {
  while (nextScriptEvent_ < script_.size() && script_[nextScriptEvent_].frame <= pass_) {
    const ScriptEvent& event = script_[nextScriptEvent_++];
    Apply(event);
    changes.push_back(event);
  }
}

void GameView::Apply(const ScriptEvent& event) {
  switch (event.type) {
    case Type::KeyDown:
    case Type::KeyUp:
      keys_[static_cast<std::size_t>(event.a & 0xFF)] = event.type == Type::KeyDown ? kHeld : 0;
      break;
    case Type::ButtonDown:
    case Type::ButtonUp:
      mouse_.push_back(MouseEvent{
          event.type == Type::ButtonDown ? MouseEvent::Type::ButtonDown : MouseEvent::Type::ButtonUp, 0, 0, 0,
          event.a});
      break;
    case Type::Move:
      mouse_.push_back(MouseEvent{MouseEvent::Type::Move, event.a, event.b, 0, 0});
      break;
    case Type::FocusLost:
    case Type::FocusGained:
      SetFocus(event.type == Type::FocusGained);
      break;
    case Type::Close:
      events_.push_back(Event{EventType::CloseRequest, window_});
      break;
    case Type::Time:
      date_ = static_cast<rt::DateValue>(event.seconds);
      break;
    case Type::Pause:
      held_ = event.a != 0;
      rt::HoldScreen(held_);
      break;
    default:  // a device's own lines and the end are not the game's input
      break;
  }
}

void GameView::SetFocus(bool focused) {
  focused_ = focused;
  events_.push_back(Event{focused ? EventType::FocusGained : EventType::FocusLost, window_});
}

}  // namespace pellaris::play

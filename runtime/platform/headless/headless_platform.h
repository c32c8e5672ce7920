// A machine that exists only in memory, for tests, benchmarks and replays. Its clock is virtual: it
// moves only when the program sleeps, waits or ends a frame. A script says what the player does at
// which frame; every presented frame, message box, cursor change and window is recorded.
//
// Each facet keeps its own state (headless_video.h, headless_input.h, ...); the machine ties them
// together: it owns them, counts frames and plays the script. A test that needs a facet to behave
// otherwise wraps it (forwarding_facets.h) and installs the wrapper in its place.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/platform/headless/headless_audio.h"
#include "runtime/platform/headless/headless_clock.h"
#include "runtime/platform/headless/headless_dialogs.h"
#include "runtime/platform/headless/headless_input.h"
#include "runtime/platform/headless/headless_process.h"
#include "runtime/platform/headless/headless_video.h"
#include "runtime/platform/platform.h"

namespace rt::platform {

// One thing the player or the machine does, applied at once (Apply) or at a frame (At).
struct Action {
  enum class Kind {
    KeyDown,
    KeyUp,
    ButtonDown,
    ButtonUp,
    MouseMotion,
    MouseWheel,
    FocusLost,     // the focused window loses the focus
    FocusGained,   // the window that had the focus last (or the newest visible one) gets it
    CloseRequest,  // the close box of the focused window (or the newest one)
    ClockJump,     // the wall clock is set forward or back; the monotonic counter is not touched
    MoveWindow,    // the focused window's outer corner moves to (x, y)
    AudioDeviceLost,
    DisplayChanged,
    QuitRequest,  // the system asks the program to end (a termination signal)
    // Virtual game controllers, numbered from 0 in `pad`. Each plug-in gets a new instance id, as with
    // SDL; a button or axis action plugs in a pad that is not connected.
    PadConnect,
    PadDisconnect,
    PadButtonDown,
    PadButtonUp,
    PadAxis,  // the axis in code, its value in x
  };
  Kind kind = Kind::KeyDown;
  int code = 0;      // scan code, button, or pad button or axis
  int x = 0, y = 0;  // motion, wheel steps in x, the new window position, or a pad axis's value in x
  std::int64_t seconds = 0;
  int pad = 0;

  static Action KeyDown(int scanCode) { return {Kind::KeyDown, scanCode}; }
  static Action KeyUp(int scanCode) { return {Kind::KeyUp, scanCode}; }
  static Action ButtonDown(int button) { return {Kind::ButtonDown, button}; }
  static Action ButtonUp(int button) { return {Kind::ButtonUp, button}; }
  static Action Motion(int dx, int dy) { return {Kind::MouseMotion, 0, dx, dy}; }
  static Action Wheel(int steps) { return {Kind::MouseWheel, 0, steps}; }
  static Action LoseFocus() { return {Kind::FocusLost}; }
  static Action GainFocus() { return {Kind::FocusGained}; }
  static Action Close() { return {Kind::CloseRequest}; }
  static Action JumpClock(std::int64_t seconds) { return {Kind::ClockJump, 0, 0, 0, seconds}; }
  static Action MoveWindowTo(int x, int y) { return {Kind::MoveWindow, 0, x, y}; }
  static Action LoseAudioDevice() { return {Kind::AudioDeviceLost}; }
  static Action ChangeDisplay() { return {Kind::DisplayChanged}; }
  static Action Quit() { return {Kind::QuitRequest}; }
  static Action ConnectPad(int pad = 0) { return {Kind::PadConnect, 0, 0, 0, 0, pad}; }
  static Action DisconnectPad(int pad = 0) { return {Kind::PadDisconnect, 0, 0, 0, 0, pad}; }
  static Action PadDown(PadButton button, int pad = 0) {
    return {Kind::PadButtonDown, static_cast<int>(button), 0, 0, 0, pad};
  }
  static Action PadUp(PadButton button, int pad = 0) {
    return {Kind::PadButtonUp, static_cast<int>(button), 0, 0, 0, pad};
  }
  static Action MovePadAxis(PadAxis axis, int value, int pad = 0) {
    return {Kind::PadAxis, static_cast<int>(axis), value, 0, 0, pad};
  }
};

class HeadlessPlatform {
 public:
  static constexpr std::uint64_t kCounterFrequency = HeadlessClock::kFrequency;

  HeadlessPlatform() = default;
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // Every facet of this machine, to install.
  Backend Facets() { return Backend{&video_, &input_, &audio_, &clock_, &dialogs_, &process_}; }
  HeadlessVideo& Video() { return video_; }
  HeadlessInput& Input() { return input_; }
  HeadlessAudio& Audio() { return audio_; }
  HeadlessClock& Clock() { return clock_; }
  HeadlessDialogs& Dialogs() { return dialogs_; }
  HeadlessProcess& Process() { return process_; }

  // ---- The script. Actions for frame F are applied by the FrameBoundary that brings FrameCount to F,
  // in the order they were added; an action for a frame already reached is applied at once.
  void At(int frame, const Action& action);
  void Apply(const Action& action);
  // Called at the end of every FrameBoundary with the new frame count, after that frame's actions.
  void SetFrameCallback(std::function<void(int frame)> callback);
  int FrameCount() const { return frames_; }  // FrameBoundary calls so far

  // ---- The facets' settings and records, as tests use them (each facet's header says more).
  // The machine (set before the runtime starts).
  void SetDesktop(int width, int height, int depth) { video_.SetDesktop(width, height, depth); }
  void SetDisplayAvailable(bool available) { video_.SetDisplayAvailable(available); }
  void SetWindowsFail(bool fail) { video_.SetWindowsFail(fail); }
  void SetKeyboardPresent(bool present) { input_.SetKeyboardPresent(present); }
  void SetMousePresent(bool present) { input_.SetMousePresent(present); }
  void SetAudioFormat(const AudioFormat& format) { audio_.SetAudioFormat(format); }
  void SetAudioAvailable(bool available) { audio_.SetAudioAvailable(available); }
  void SetPresentRate(int hertz) { video_.SetPresentRate(hertz); }

  // Time.
  void SetFramesPerSecond(int framesPerSecond) { clock_.SetFramesPerSecond(framesPerSecond); }
  void SetFrameStepNanoseconds(std::uint64_t nanoseconds) { clock_.SetFrameStepNanoseconds(nanoseconds); }
  void SetStartTime(const LocalDateTime& start) { clock_.SetStartTime(start); }
  void SetStartTick(std::uint32_t tick) { clock_.SetStartTick(tick); }
  void AdvanceTime(std::uint64_t nanoseconds) { clock_.AdvanceTime(nanoseconds); }
  std::uint64_t ElapsedNanoseconds() const { return clock_.ElapsedNanoseconds(); }
  std::uint64_t SleptMilliseconds() const { return clock_.SleptMilliseconds(); }

  // Message boxes.
  void QueueAnswer(MessageAnswer answer) { dialogs_.QueueAnswer(answer); }
  void SetDefaultYesNoAnswer(MessageAnswer answer) { dialogs_.SetDefaultYesNoAnswer(answer); }
  const std::vector<ShownMessage>& Messages() const { return dialogs_.Messages(); }

  // Presented frames.
  void SetKeptFrames(int count) { video_.SetKeptFrames(count); }
  void SetPresentCallback(std::function<void(const PresentedFrame&)> callback) {
    video_.SetPresentCallback(std::move(callback));
  }
  const std::deque<PresentedFrame>& KeptFrames() const { return video_.KeptFrames(); }
  const PresentedFrame* LastFrame() const { return video_.LastFrame(); }
  int PresentCount() const { return video_.PresentCount(); }

  // Windows, cursor, audio as the program left them.
  const HeadlessWindow* Window(WindowId id) const { return video_.Window(id); }
  std::vector<WindowId> Windows() const { return video_.Windows(); }
  int WindowsCreated() const { return video_.WindowsCreated(); }
  const CursorState& Cursor() const { return input_.Cursor(); }
  bool AudioOpen() const { return audio_.AudioOpen(); }
  int AudioLockDepth() const { return audio_.AudioLockDepth(); }
  std::vector<std::int16_t> RenderAudio(int frames) { return audio_.RenderAudio(frames); }
  std::vector<float> RenderAudioFloat(int frames) { return audio_.RenderAudioFloat(frames); }
  bool KeyHeld(int scanCode) const { return input_.KeyHeld(scanCode); }

 private:
  friend class HeadlessClock;  // ends each frame once it has moved the time

  void EndFrame();
  void SendInput(Event event);

  HeadlessVideo video_{*this};
  HeadlessInput input_{*this};
  HeadlessAudio audio_;
  HeadlessClock clock_{*this};
  HeadlessDialogs dialogs_{*this};
  HeadlessProcess process_;

  int frames_ = 0;
  std::multimap<int, Action> script_;
  std::function<void(int)> frameCallback_;
};

// A headless machine installed from construction to destruction: `InstalledHeadless machine;`.
class InstalledHeadless : public HeadlessPlatform {
 public:
  InstalledHeadless() : installed_(Facets()) {}

 private:
  ScopedBackend installed_;
};

}  // namespace rt::platform

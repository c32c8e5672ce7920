// A machine that exists only in memory, for tests, benchmarks and replays. Its clock is virtual: it
// moves only when the program sleeps, waits or ends a frame. A script says what the player does at
// which frame; every presented frame, message box, cursor change and window is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/platform/event_queue.h"
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

struct HeadlessWindow {
  WindowId id = 0;
  std::string title;
  bool decorated = true;
  bool visible = true;
  bool fullScreen = false;
  Rect outer, client;                 // desktop coordinates
  int iconWidth = 0, iconHeight = 0;  // 0 until an icon is set
  int presents = 0;
};

struct PresentedFrame {
  WindowId window = 0;
  int width = 0, height = 0;
  Rect dest;
  int frame = 0;                      // FrameCount() when it was shown
  std::uint64_t hash = 0;             // FNV-1a over the 0x00RRGGBB pixel values, row after row
  std::vector<std::uint32_t> pixels;  // width * height, row after row
};

struct ShownMessage {
  std::string title, text;
  MessageButtons buttons = MessageButtons::Ok;
  WindowId owner = 0;  // the focused window when the box came up
  MessageAnswer answer = MessageAnswer::Ok;
};

struct CursorState {
  bool visible = true;
  bool relative = false;
  bool confined = false;
  WindowId confineWindow = 0;
  Rect confineArea;  // in the window's client coordinates
  int confineCalls = 0;
  int warps = 0;
  WindowId warpWindow = 0;
  int warpX = 0, warpY = 0;  // the last warp, in the window's client coordinates
};

// FNV-1a of the pixels as PresentedFrame::hash computes it, for expected pictures built in a test.
std::uint64_t HashPixels(const std::uint32_t* pixels, int width, int height, int pitchBytes);

class HeadlessPlatform;

// The machine's facets: each works on the machine's state. A test that needs a facet to behave
// otherwise derives from it and installs its own in its place.
class HeadlessVideo : public VideoFacet {
 public:
  explicit HeadlessVideo(HeadlessPlatform& machine) : machine_(machine) {}
  bool DesktopMode(int& width, int& height, int& depth) override;
  WindowId CreateWindow(const WindowDesc& desc) override;
  WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(WindowId window) override;
  void ShowWindow(WindowId window, bool visible) override;
  void SetWindowTitle(WindowId window, const std::string& title) override;
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override;
  WindowId FocusedWindow() override;
  int PresentRate(WindowId window) override;
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessInput : public InputFacet {
 public:
  explicit HeadlessInput(HeadlessPlatform& machine) : machine_(machine) {}
  bool NextEvent(Event& event, int timeoutMs) override;
  void ReadKeyState(std::uint8_t state[256]) override;
  int TakeMouseEvents(MouseEvent* out, int max) override;
  void ReadPadState(PadState& state) override;
  bool HasKeyboard() override;
  bool HasMouse() override;
  void ShowCursor(bool visible) override;
  void ConfineCursor(WindowId window, const Rect* clientArea) override;
  void WarpCursor(WindowId window, int x, int y) override;
  void SetRelativeMouse(bool on) override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessAudio : public AudioFacet {
 public:
  explicit HeadlessAudio(HeadlessPlatform& machine) : machine_(machine) {}
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessClock : public ClockFacet {
 public:
  explicit HeadlessClock(HeadlessPlatform& machine) : machine_(machine) {}
  std::uint64_t Counter() override;
  std::uint64_t CounterFrequency() override;
  void SleepMs(int milliseconds) override;
  void SleepUntil(std::uint64_t counter) override;
  std::uint32_t TickMs() override;
  LocalDateTime LocalTime() override;
  void FrameBoundary() override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessDialogs : public DialogFacet {
 public:
  explicit HeadlessDialogs(HeadlessPlatform& machine) : machine_(machine) {}
  MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                               MessageButtons buttons) override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessProcess : public ProcessFacet {
 public:
  explicit HeadlessProcess(HeadlessPlatform& machine) : machine_(machine) {}
  std::string ProgramPath() override;

 protected:
  HeadlessPlatform& machine_;
};

class HeadlessPlatform {
 public:
  static constexpr std::uint64_t kCounterFrequency = 1'000'000'000;  // the counter counts nanoseconds

  HeadlessPlatform();
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // Every facet of this machine, to install.
  Backend Facets();
  HeadlessVideo& Video() { return video_; }
  HeadlessInput& Input() { return input_; }
  HeadlessAudio& Audio() { return audio_; }
  HeadlessClock& Clock() { return clock_; }
  HeadlessDialogs& Dialogs() { return dialogs_; }

  // ---- The machine (set before the runtime starts).
  void SetDesktop(int width, int height, int depth);  // 1920 x 1080 x 32 by default
  void SetDisplayAvailable(bool available);           // false: no desktop mode, no windows
  void SetWindowsFail(bool fail);                     // window creation fails
  void SetKeyboardPresent(bool present);
  void SetMousePresent(bool present);
  void SetAudioFormat(const AudioFormat& format);  // 44100 Hz, stereo, S16 by default
  void SetAudioAvailable(bool available);
  // Decoration of titled windows around the client area (4, 24, 4, 4 by default).
  void SetWindowFrame(int left, int top, int right, int bottom);
  void SetPresentRate(int hertz);  // presents wait for a 60 Hz retrace by default; 0: they do not wait
  void SetProgramPath(const std::string& path);

  // ---- Time. Each FrameBoundary moves the clock by one frame step (1/60 s by default).
  void SetFramesPerSecond(int framesPerSecond);             // the step becomes exactly 1/framesPerSecond s
  void SetFrameStepNanoseconds(std::uint64_t nanoseconds);  // 0 keeps the clock still between sleeps
  void SetStartTime(const LocalDateTime& start);            // the wall clock at time 0 (2024-06-01 12:00:00)
  void SetStartTick(std::uint32_t tick);                    // TickMs at time 0 (0 by default)
  void AdvanceTime(std::uint64_t nanoseconds);              // moves the counter, the tick and the wall clock
  std::uint64_t ElapsedNanoseconds() const { return nanoseconds_; }
  std::uint64_t SleptMilliseconds() const { return sleptNanoseconds_ / 1'000'000; }
  int FrameCount() const { return frames_; }  // FrameBoundary calls so far

  // ---- The script. Actions for frame F are applied by the FrameBoundary that brings FrameCount to F,
  // in the order they were added; an action for a frame already reached is applied at once.
  void At(int frame, const Action& action);
  void Apply(const Action& action);
  // Called at the end of every FrameBoundary with the new frame count, after that frame's actions.
  void SetFrameCallback(std::function<void(int frame)> callback);

  // ---- Message boxes: queued answers first, then the default (Ok for an Ok box, No for Yes/No).
  void QueueAnswer(MessageAnswer answer);
  void SetDefaultYesNoAnswer(MessageAnswer answer);
  const std::vector<ShownMessage>& Messages() const { return messages_; }

  // ---- Presented frames: all are counted; the last few are kept whole and hashed when asked for (none
  // by default, so that long replays copy nothing), and the callback, if any, sees each one whole.
  void SetKeptFrames(int count);
  void SetPresentCallback(std::function<void(const PresentedFrame&)> callback);
  const std::deque<PresentedFrame>& KeptFrames() const { return kept_; }
  const PresentedFrame* LastFrame() const { return kept_.empty() ? nullptr : &kept_.back(); }
  int PresentCount() const { return presentCount_; }

  // ---- Windows, cursor, audio as the program left them.
  const HeadlessWindow* Window(WindowId id) const;
  std::vector<WindowId> Windows() const;  // the live windows, oldest first
  int WindowsCreated() const { return windowsCreated_; }
  const CursorState& Cursor() const { return cursor_; }
  bool AudioOpen() const { return audioStream_.callback != nullptr; }
  int AudioLockDepth() const { return audioLocks_; }
  // Runs the audio callback for `frames` frames and returns what it produced (empty with no audio
  // open or another sample type).
  std::vector<std::int16_t> RenderAudio(int frames);
  std::vector<float> RenderAudioFloat(int frames);
  bool KeyHeld(int scanCode) const { return queue_.KeyHeld(scanCode); }
  bool EventsPending() const { return !queue_.Empty(); }

 private:
  friend class HeadlessVideo;
  friend class HeadlessInput;
  friend class HeadlessAudio;
  friend class HeadlessClock;
  friend class HeadlessDialogs;
  friend class HeadlessProcess;

  struct AudioStream {
    AudioCallback callback = nullptr;
    void* user = nullptr;
  };

  HeadlessWindow* Find(WindowId id);
  WindowId AddWindow(HeadlessWindow window);
  WindowId TargetWindow() const;  // the focused window, else the newest one
  void Focus(WindowId window);
  void Send(EventType type, WindowId window);
  void SendInput(const Event& event);
  void ApplyPad(const Action& action);
  int PlugPad(int pad);  // its instance id, plugging it in if it is not connected
  void ApplyMove(int x, int y);
  void Record(PresentedFrame frame);
  std::vector<std::uint8_t> RenderBytes(int frames, SampleFormat sample);

  // The facets.
  HeadlessVideo video_{*this};
  HeadlessInput input_{*this};
  HeadlessAudio audio_{*this};
  HeadlessClock clock_{*this};
  HeadlessDialogs dialogs_{*this};
  HeadlessProcess process_{*this};

  // The machine.
  int desktopWidth_ = 1920, desktopHeight_ = 1080, desktopDepth_ = 32;
  bool display_ = true, windowsFail_ = false, keyboard_ = true, mouse_ = true, audioAvailable_ = true;
  AudioFormat audioFormat_{44100, 2, SampleFormat::S16};
  Rect frame_{4, 24, 4, 4};  // left, top, right, bottom insets (x, y, width, height)
  int presentRate_ = 60;
  std::string programPath_ = "/usr/games/pellaris";

  // Time.
  std::uint64_t nanoseconds_ = 0;
  std::uint64_t stepNumerator_ = kCounterFrequency, stepDivisor_ = 60;  // step = numerator / divisor ns
  std::uint64_t stepCarry_ = 0;
  std::uint64_t sleptNanoseconds_ = 0;
  std::int64_t wallJump_ = 0;  // seconds
  LocalDateTime start_{2024, 6, 1, 12, 0, 0};
  std::uint32_t startTick_ = 0;
  int frames_ = 0;

  // Script.
  std::multimap<int, Action> script_;
  std::function<void(int)> frameCallback_;

  // Windows, events, input.
  std::map<WindowId, HeadlessWindow> windows_;
  WindowId nextId_ = 1;
  WindowId focused_ = 0, lastFocused_ = 0;
  int windowsCreated_ = 0;
  EventQueue queue_;
  CursorState cursor_;
  std::map<int, int> pads_;  // the connected virtual pads' instance ids by number
  int nextPadId_ = 0;

  // Message boxes and frames.
  std::deque<MessageAnswer> answers_;
  MessageAnswer yesNoDefault_ = MessageAnswer::No;
  std::vector<ShownMessage> messages_;
  std::deque<PresentedFrame> kept_;
  std::size_t keptLimit_ = 0;
  int presentCount_ = 0;
  std::function<void(const PresentedFrame&)> presentCallback_;

  // Audio.
  AudioStream audioStream_;
  int audioLocks_ = 0;
};

// A headless machine installed from construction to destruction: `InstalledHeadless machine;`.
class InstalledHeadless : public HeadlessPlatform {
 public:
  InstalledHeadless() : installed_(Facets()) {}

 private:
  ScopedBackend installed_;
};

}  // namespace rt::platform

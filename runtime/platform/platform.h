// The one seam between the runtime and the machine. The runtime reaches windows, events, the cursor,
// audio, message boxes and time only through the facets below; a backend implements them (SDL2 for
// the game, an in-memory headless one for tests, benchmarks and the replay tool). Whoever owns main
// installs exactly one backend before the runtime starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/platform/pad.h"

namespace rt::platform {

// 0 names no window.
using WindowId = std::uint32_t;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct WindowDesc {
  std::string title;
  int clientWidth = 0, clientHeight = 0;
  int x = 0, y = 0;  // outer top-left corner in desktop coordinates, unless centred
  bool centred = false;
  bool decorated = true;  // title bar with a close box
  bool visible = true;
};

enum class EventType {
  CloseRequest,
  Moved,
  Resized,
  Exposed,
  FocusGained,
  FocusLost,
  KeyDown,  // never sent for auto-repeat
  KeyUp,
  MouseMotion,  // relative motion in dx, dy
  MouseButtonDown,
  MouseButtonUp,
  MouseWheel,  // steps in wheel, positive away from the user
  AudioDeviceLost,
  DisplayChanged,  // a monitor or resolution change; full-screen presentation re-reads the desktop
  QuitRequest,     // the system asks the program to end (SIGINT, SIGTERM, logout); no window
  // Game controllers, never addressed to a window; `pad` says which.
  PadAdded,    // plugged in, or present when input started
  PadRemoved,  // unplugged: whatever it held is released
  PadButtonDown,
  PadButtonUp,
  PadAxisMotion,  // the axis's new value in axisValue
};

struct Event {
  EventType type = EventType::CloseRequest;
  WindowId window = 0;
  int scanCode = 0;  // set-1 make code, +128 for extended keys (the keyboard's numbering)
  int button = 0;    // 1 left, 2 right, 3 middle
  int dx = 0, dy = 0;
  int wheel = 0;
  int x = 0, y = 0, width = 0, height = 0;  // Moved / Resized
  int pad = 0;  // the pad's instance id: the backend's, unique while the program runs
  PadButton padButton = PadButton::A;
  PadAxis padAxis = PadAxis::LeftX;
  int axisValue = 0;  // kPadAxisMin..kPadAxisMax
};

enum class MessageButtons { Ok, YesNo };
// Interrupted: the program was asked to end while the box was up (a termination signal); the box is
// gone, and a QuitRequest follows among the events.
enum class MessageAnswer { Ok, Yes, No, Interrupted };

// What the audio device consumes: interleaved frames of `channels` samples each.
enum class SampleFormat { S16, F32 };
struct AudioFormat {
  int rate = 0;
  int channels = 0;
  SampleFormat sample = SampleFormat::S16;
  int BytesPerFrame() const { return channels * (sample == SampleFormat::S16 ? 2 : 4); }
};
// Called on the audio thread to fill `frames` frames; must not allocate or block for long.
using AudioCallback = void (*)(void* user, std::uint8_t* out, int frames);

// What the mouse did, in the order it happened. Consecutive movement (motion and wheel) arrives as one
// record, so only button changes are discrete; buttons are 1 left, 2 right, 3 middle.
struct MouseEvent {
  enum class Type { Move, ButtonDown, ButtonUp };
  Type type = Type::Move;
  int dx = 0, dy = 0;
  int wheel = 0;
  int button = 0;
};

struct LocalDateTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The facets of the machine. A backend implements the ones it offers; each is installed on its own,
// and a facet a backend leaves out behaves as a machine without that device (no display, no input,
// no audio, no message box). Every method is called on the game's thread unless it says otherwise.

// Desktop, windows and presenting pictures.
class VideoFacet {
 public:
  virtual ~VideoFacet() = default;
  virtual bool DesktopMode(int& width, int& height, int& depth) = 0;
  virtual WindowId CreateWindow(const WindowDesc& desc) = 0;
  // A borderless desktop-sized window; presentation scales into it (integer scale when it fits).
  virtual WindowId CreateFullScreenWindow(const std::string& title) = 0;
  virtual void DestroyWindow(WindowId window) = 0;
  virtual void ShowWindow(WindowId window, bool visible) = 0;
  virtual void SetWindowTitle(WindowId window, const std::string& title) = 0;
  // Window icon from 0x00RRGGBB pixels; pixel value 0 is transparent.
  virtual void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) = 0;
  virtual bool WindowGeometry(WindowId window, Rect& outer, Rect& client) = 0;
  // The window of this program that has the keyboard focus, or 0.
  virtual WindowId FocusedWindow() = 0;
  // How many times a second presenting to the window is paced by the display: its refresh rate when a
  // present waits for the retrace, 0 when presents do not wait or the rate is not known.
  virtual int PresentRate(WindowId window) = 0;
  // Show a 0x00RRGGBB buffer. Windowed: at `dest` in the client area (stretched if sizes differ).
  // Full screen: `dest` is ignored; the buffer is scaled to fit and centred on black. A full-screen
  // present on a display refreshing 59 times a second or more waits for the retrace.
  virtual void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
                       const Rect& dest) = 0;
};

// Events, the keyboard's, the mouse's and the game controllers' state, and the cursor.
class InputFacet {
 public:
  virtual ~InputFacet() = default;
  // One event, or false when none is pending (timeoutMs 0) or none came in time (-1 waits forever).
  virtual bool NextEvent(Event& event, int timeoutMs) = 0;
  // Device state, kept by the backend from every event it takes (the three calls below take pending
  // events first). Keys in the keyboard's numbering: 0x80 while held, else 0; auto-repeat never
  // changes it.
  virtual void ReadKeyState(std::uint8_t state[256]) = 0;
  // Moves up to `max` of the mouse's records since the last call into `out`, oldest first, and
  // returns how many; the rest wait for the next call.
  virtual int TakeMouseEvents(MouseEvent* out, int max) = 0;
  // The connected pads taken together (see PadState); all released and at rest with none connected.
  virtual void ReadPadState(PadState& state) = 0;
  virtual bool HasKeyboard() = 0;
  virtual bool HasMouse() = 0;
  // Relative mode hides the cursor and reports motion without an edge.
  virtual void ShowCursor(bool visible) = 0;
  // The area is in the window's client coordinates; nullptr releases any confinement. The cursor is
  // held there only while the window has the focus.
  virtual void ConfineCursor(WindowId window, const Rect* clientArea) = 0;
  virtual void WarpCursor(WindowId window, int x, int y) = 0;  // client coordinates
  virtual void SetRelativeMouse(bool on) = 0;
};

// The audio output. The obtained format is what the callback must produce.
class AudioFacet {
 public:
  virtual ~AudioFacet() = default;
  virtual bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) = 0;
  virtual void CloseAudio() = 0;
  // Brief exclusion against the callback, for handing work to the mixer.
  virtual void LockAudio() = 0;
  virtual void UnlockAudio() = 0;
};

// Time.
class ClockFacet {
 public:
  virtual ~ClockFacet() = default;
  // A monotonic high-resolution counter. These two are also called on the audio thread (the mixer
  // times the starts of sounds with them).
  virtual std::uint64_t Counter() = 0;
  virtual std::uint64_t CounterFrequency() = 0;
  virtual void SleepMs(int milliseconds) = 0;
  // Sleeps until the counter reaches `counter`, as closely as the machine can.
  virtual void SleepUntil(std::uint64_t counter) = 0;
  virtual std::uint32_t TickMs() = 0;  // milliseconds since some start; seeds the random generator
  virtual LocalDateTime LocalTime() = 0;
  // Called by every FlipBuffers, presenting or not: the headless backend advances its virtual clock
  // and applies its script here.
  virtual void FrameBoundary() {}
  // True when FrameBoundary itself waits for the display's next frame (the browser's), so that a
  // windowed screen needs no frame timer of its own: two timers at nearly the same rate would beat.
  virtual bool PacesFrames() { return false; }
};

// Modal message boxes; the program's other windows take no input while one is up.
class DialogFacet {
 public:
  virtual ~DialogFacet() = default;
  virtual MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                                       MessageButtons buttons) = 0;
};

// The running program itself.
class ProcessFacet {
 public:
  virtual ~ProcessFacet() = default;
  virtual std::string ProgramPath() = 0;
};

// A backend as whoever owns main installs it: the facets it offers, the others left null.
struct Backend {
  VideoFacet* video = nullptr;
  InputFacet* input = nullptr;
  AudioFacet* audio = nullptr;
  ClockFacet* clock = nullptr;
  DialogFacet* dialogs = nullptr;
  ProcessFacet* process = nullptr;
};

// The installed backend's facets. The runtime must not run without an installed backend.
VideoFacet& Video();
InputFacet& Input();
AudioFacet& Audio();
ClockFacet& Clock();
DialogFacet& Dialogs();
ProcessFacet& Process();

void Install(const Backend& backend);
void Uninstall();
bool Installed();

// Installs a backend for the lifetime of the object: in main, in a tool, in a test.
class ScopedBackend {
 public:
  explicit ScopedBackend(const Backend& backend) { Install(backend); }
  ~ScopedBackend() { Uninstall(); }
  ScopedBackend(const ScopedBackend&) = delete;
  ScopedBackend& operator=(const ScopedBackend&) = delete;
};

}  // namespace rt::platform

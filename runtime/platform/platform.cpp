#include "runtime/platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rt::platform {

namespace {

// What a machine without the device does: nothing to show, nothing pressed, nothing to play.
class NoVideo : public VideoFacet {
 public:
  bool DesktopMode(int&, int&, int&) override { return false; }
  WindowId CreateWindow(const WindowDesc&) override { return 0; }
  WindowId CreateFullScreenWindow(const std::string&) override { return 0; }
  void DestroyWindow(WindowId) override {}
  void ShowWindow(WindowId, bool) override {}
  void SetWindowTitle(WindowId, const std::string&) override {}
  void SetWindowIcon(WindowId, const std::uint32_t*, int, int) override {}
  bool WindowGeometry(WindowId, Rect&, Rect&) override { return false; }
  WindowId FocusedWindow() override { return 0; }
  int PresentRate(WindowId) override { return 0; }
  void Present(WindowId, const std::uint32_t*, int, int, int, const Rect&) override {}
};

class NoInput : public InputFacet {
 public:
  bool NextEvent(Event&, int) override { return false; }
  void ReadKeyState(std::uint8_t state[256]) override { std::memset(state, 0, 256); }
  int TakeMouseEvents(MouseEvent*, int) override { return 0; }
  void ReadPadState(PadState& state) override { state = PadState{}; }
  bool HasKeyboard() override { return false; }
  bool HasMouse() override { return false; }
  void ShowCursor(bool) override {}
  void ConfineCursor(WindowId, const Rect*) override {}
  void WarpCursor(WindowId, int, int) override {}
  void SetRelativeMouse(bool) override {}
};

class NoAudio : public AudioFacet {
 public:
  bool OpenAudio(AudioCallback, void*, AudioFormat&) override { return false; }
  void CloseAudio() override {}
  void LockAudio() override {}
  void UnlockAudio() override {}
};

// A clock that never moves and has no frequency: the frame timer does not run on it.
class NoClock : public ClockFacet {
 public:
  std::uint64_t Counter() override { return 0; }
  std::uint64_t CounterFrequency() override { return 0; }
  void SleepMs(int) override {}
  void SleepUntil(std::uint64_t) override {}
  std::uint32_t TickMs() override { return 0; }
  LocalDateTime LocalTime() override { return LocalDateTime{}; }
};

// A box that cannot be shown answers as Escape would.
class NoDialogs : public DialogFacet {
 public:
  MessageAnswer ShowMessageBox(const std::string&, const std::string&, MessageButtons buttons) override {
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
};

class NoProcess : public ProcessFacet {
 public:
  std::string ProgramPath() override { return std::string(); }
};

struct Installation {
  bool installed = false;
  Backend backend;
};

Installation& Current() {
  static Installation current;
  return current;
}

// A missing backend is a programming error in whoever owns main; fail loudly, not later.
const Backend& Installed(const char* facet) {
  if (!Current().installed) {
    std::fprintf(stderr, "pellaris: no platform backend installed (asked for its %s)\n", facet);
    std::abort();
  }
  return Current().backend;
}

template <typename Facet, typename Absent>
Facet& Or(Facet* facet) {
  static Absent absent;
  return facet ? *facet : absent;
}

}  // namespace

VideoFacet& Video() {
  return Or<VideoFacet, NoVideo>(Installed("video").video);
}
InputFacet& Input() {
  return Or<InputFacet, NoInput>(Installed("input").input);
}
AudioFacet& Audio() {
  return Or<AudioFacet, NoAudio>(Installed("audio").audio);
}
ClockFacet& Clock() {
  return Or<ClockFacet, NoClock>(Installed("clock").clock);
}
DialogFacet& Dialogs() {
  return Or<DialogFacet, NoDialogs>(Installed("dialogs").dialogs);
}
ProcessFacet& Process() {
  return Or<ProcessFacet, NoProcess>(Installed("process").process);
}

void Install(const Backend& backend) {
  Current() = Installation{true, backend};
}

void Uninstall() {
  Current() = Installation{};
}

bool Installed() {
  return Current().installed;
}

}  // namespace rt::platform

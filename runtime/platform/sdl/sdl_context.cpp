#include "runtime/platform/sdl/sdl_context.h"

#include <dlfcn.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "runtime/platform/sdl/sdl_mapping.h"
#include "runtime/platform/sdl/sdl_pad_mappings.h"

namespace rt::platform {

namespace {

// SDL turns SIGINT and SIGTERM into a quit request; a closed terminal (SIGHUP) ends the game the same
// way, through its end routine. A signal that whoever started us ignores (nohup) stays ignored.
volatile std::sig_atomic_t hangUpPending = 0;

// Of a larger file of pad mappings only the start is read: no one's mappings come near it.
constexpr std::size_t kLargestPadMappingFile = 4 << 20;

// A file's text up to `limit` bytes, `cut` at the end of a line when the file is longer; nothing when
// it cannot be read.
std::optional<std::string> ReadStart(const std::string& path, std::size_t limit, bool& cut) {
  std::ifstream file(path, std::ios::binary);
  std::string text(limit, '\0');
  file.read(text.data(), static_cast<std::streamsize>(limit));
  if (file.bad() || (file.fail() && !file.eof())) return std::nullopt;
  text.resize(static_cast<std::size_t>(file.gcount()));
  cut = file.peek() != std::ifstream::traits_type::eof();
  if (cut) text.resize(text.rfind('\n') + 1);  // no line cut in two (none at all without an end)
  return text;
}

void OnHangUp(int) {
  hangUpPending = 1;
}

bool CatchHangUp() {
  struct sigaction current {};
  if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return false;
  struct sigaction action {};
  action.sa_handler = OnHangUp;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGHUP, &action, nullptr) == 0;
}

void ReleaseHangUp() {
  std::signal(SIGHUP, SIG_DFL);
  hangUpPending = 0;
}

// Without a desktop SDL falls back to a driver that shows nothing, and the game would run unseen; such a
// driver serves only when someone asked for SDL's drivers by name (tests do, with SDL_VIDEODRIVER).
bool ShowsNothing(const char* driver) {
  const bool invisible =
      driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  return invisible && !SDL_GetHint(SDL_HINT_VIDEODRIVER);
}

// ALSA, which SDL tries when no sound server runs, writes its failures on the terminal, eight lines on
// a machine without a sound card; the program reports a missing device itself. SDL links ALSA, so it
// is looked up among the loaded libraries.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
  using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetErrorHandler = int (*)(ErrorHandler);
  if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
    reinterpret_cast<SetErrorHandler>(set)(&QuietAlsa);
  }
}

constexpr auto kAskDevicesEvery = std::chrono::milliseconds(1);

// The next event SDL has queued, without asking the devices for more.
bool NextQueued(SDL_Event& event) {
  return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
}

// Input that reached the program's windows while a message box was up was meant for the box.
bool MeantForMessageBox(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

bool TranslateWindowEvent(const SDL_WindowEvent& sdl, Event& event) {
  event.window = sdl.windowID;
  switch (sdl.event) {
    case SDL_WINDOWEVENT_CLOSE:
      event.type = EventType::CloseRequest;
      return true;
    case SDL_WINDOWEVENT_MOVED:
      event.type = EventType::Moved;
      event.x = sdl.data1;
      event.y = sdl.data2;
      return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      event.type = EventType::Resized;
      event.width = sdl.data1;
      event.height = sdl.data2;
      return true;
    case SDL_WINDOWEVENT_EXPOSED:
      event.type = EventType::Exposed;
      return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      event.type = EventType::FocusGained;
      return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      event.type = EventType::FocusLost;
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- The context

SdlContext::SdlContext(const SdlOptions& options) : options_(options) {
  // SDL turns SIGINT and SIGTERM into SDL_QUIT, which the game takes as a request to end, so the
  // end routine runs. Closing a window must not post it too: in full screen the close box is ignored.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  catchingHangUp_ = CatchHangUp();
}

SdlContext::~SdlContext() {
  windows_.clear();
  for (const auto& [id, controller] : pads_) SDL_GameControllerClose(controller);
  SDL_Quit();
  if (catchingHangUp_) ReleaseHangUp();
}

bool SdlContext::EnsureVideo() {
  if (!videoTried_) {
    videoTried_ = true;
    videoReady_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (videoReady_ && ShowsNothing(SDL_GetCurrentVideoDriver())) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      videoReady_ = false;
    }
    if (videoReady_) SDL_StopTextInput();  // keys only, no typed characters
    EnsurePads();                          // the pads come with the keyboard and the mouse
  }
  return videoReady_;
}

// SDL reads its built-in mappings and SDL_GAMECONTROLLERCONFIG here, and reports the controllers
// present as added; joysticks it has no mapping for are not game controllers and never show.
bool SdlContext::EnsurePads() {
  if (!padsTried_) {
    padsTried_ = true;
    padsReady_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  }
  return padsReady_;
}

void SdlContext::Report(const std::string& line) {
  if (options_.report) options_.report(line);
}

int SdlContext::LoadPadMappings(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return 0;
  if (!std::filesystem::is_regular_file(path, error) || !EnsurePads()) return -1;
  bool cut = false;
  const std::optional<std::string> text = ReadStart(path, kLargestPadMappingFile, cut);
  if (!text) return -1;
  // The facts first: a receiver may cut a long name short.
  if (cut)
    Report("only the first " + std::to_string(kLargestPadMappingFile >> 20) + " MiB are read of " + path);
  const PadMappingLines mappings = SelectPadMappings(*text, SDL_GetPlatform());
  if (mappings.cut) {
    Report("only the first " + std::to_string(kLargestPadMappings) + " controllers are used of " + path);
  }
  int added = 0;
  for (const std::string& line : mappings.lines) added += SDL_GameControllerAddMapping(line.c_str()) == 1;
  // SDL tells of a controller only when it is plugged in, so one plugged in already and mapped only
  // now is opened here.
  if (added > 0) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_IsGameController(i) && pads_.count(SDL_JoystickGetDeviceInstanceID(i)) == 0) OpenPad(i);
    }
  }
  return added;
}

bool SdlContext::EnsureAudio() {
  if (!audioTried_) {
    audioTried_ = true;
    SilenceAlsa();
    audioReady_ = SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) == 0;
  }
  return audioReady_;
}

SdlWindow* SdlContext::Find(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

// A full-screen picture waits for the retrace unless the display refreshes more slowly than the game
// updates, when the frame timer alone paces it; a window's always does.
WindowId SdlContext::Adopt(SDL_Window* window, bool fullScreen, int logicalWidth, int logicalHeight) {
  if (!window) return 0;
  if (!pathChosen_) {
    path_ = ChoosePresentPath();
    pathChosen_ = true;
  }
  const int refresh = DisplayRefresh(window);
  const bool retrace = !fullScreen || refresh == 0 || refresh >= kSlowestRetracedRefresh;
  std::unique_ptr<Presenter> presenter = MakePresenter(window, path_, retrace);
  if (!presenter) {
    SDL_DestroyWindow(window);
    return 0;
  }
  const WindowId id = SDL_GetWindowID(window);
  windows_[id] = std::make_unique<SdlWindow>(window, std::move(presenter), fullScreen, logicalWidth,
                                             logicalHeight, options_.scaling);
  return id;
}

int SdlContext::DisplayRefresh(SDL_Window* window) {
  const int display = SDL_GetWindowDisplayIndex(window);
  SDL_DisplayMode mode;
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
  return mode.refresh_rate;
}

int SdlContext::OpeningScale(int width, int height, int display) {
  const int asked = options_.windowScale;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(display, &usable) != 0) return std::max(asked, 1);
  const int scale = WindowScale(asked, width, height, usable.w, usable.h);
  if (scale < asked) {
    const auto size = [](int w, int h) { return std::to_string(w) + " x " + std::to_string(h); };
    Report("a window at scale " + std::to_string(asked) + " (" + size(width * asked, height * asked) +
           ") does not fit the " + size(usable.w, usable.h) + " desktop; it opens at scale " +
           std::to_string(scale));
  }
  return scale;
}

void SdlContext::Forget(WindowId window) {
  if (warp_.window == window) warp_ = Warp{};
  windows_.erase(window);
}

void SdlContext::ToggleFullScreen(WindowId id) {
  SdlWindow* window = Find(id);
  if (!window) return;
  SDL_Window* shown = window->Window();
  if (!window->ShownFullScreen()) {
    SDL_SetWindowFullscreen(shown, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  SDL_SetWindowFullscreen(shown, 0);
  if (!window->OpenedFullScreen()) return;  // SDL gives the window back its own size
  const int scale =
      OpeningScale(window->PictureWidth(), window->PictureHeight(), SDL_GetWindowDisplayIndex(shown));
  SDL_SetWindowBordered(shown, SDL_TRUE);
  SDL_SetWindowResizable(shown, SDL_TRUE);
  SDL_SetWindowSize(shown, window->PictureWidth() * scale, window->PictureHeight() * scale);
  SDL_SetWindowPosition(shown, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

WindowId SdlContext::FocusedWindow() {
  if (!videoReady_) return 0;
  SDL_Window* focused = SDL_GetKeyboardFocus();
  if (!focused) return 0;
  const WindowId id = SDL_GetWindowID(focused);
  return Find(id) ? id : 0;
}

void SdlContext::RequestQuit() {
  Event quit;
  quit.type = EventType::QuitRequest;
  queue_.Push(quit);
}

void SdlContext::Pump() {
  Pump(std::chrono::steady_clock::now() - askedDevices_ >= kAskDevicesEvery);
}

void SdlContext::PumpNow() {
  Pump(true);
}

void SdlContext::Pump(bool askDevices) {
  if (hangUpPending) {
    hangUpPending = 0;
    RequestQuit();
  }
  if (!EventsRunning()) return;
  if (askDevices) AskDevices();
  SDL_Event event;
  while (NextQueued(event)) Take(event);
}

void SdlContext::AskDevices() {
  SDL_PumpEvents();
  askedDevices_ = std::chrono::steady_clock::now();
}

bool SdlContext::WaitForEvent(int timeoutMs) {
  SDL_Event event;
  const int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
  if (!got) return false;
  Take(event);
  Pump();
  return true;
}

void SdlContext::DropInputMeantForMessageBox() {
  if (!EventsRunning()) return;
  AskDevices();  // all that came while the box was up
  SDL_Event event;
  while (NextQueued(event)) {
    if (!MeantForMessageBox(event)) Take(event);
  }
}

void SdlContext::NoteWarp(WindowId window, int x, int y) {
  warp_ = Warp{true, window, x, y};
}

void SdlContext::Take(const SDL_Event& sdl) {
  if (sdl.type == SDL_CONTROLLERDEVICEADDED) return OpenPad(sdl.cdevice.which);
  if (sdl.type == SDL_CONTROLLERDEVICEREMOVED) return ClosePad(sdl.cdevice.which);
  Event event;
  if (Translate(sdl, event)) queue_.Push(event);
}

// SDL reports a controller that is already open again when a new mapping matches it; opening it
// twice would only count a reference more.
void SdlContext::OpenPad(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (id < 0 || !pads_.emplace(id, controller).second) {
    SDL_GameControllerClose(controller);
    return;
  }
  PushPadEvent(EventType::PadAdded, id);
  // SDL reports changes from now on; what the pad holds already is part of its state too.
  Event event;
  event.pad = id;
  event.type = EventType::PadButtonDown;
  for (int i = 0; i < kPadButtonCount; ++i) {
    event.padButton = static_cast<PadButton>(i);
    const auto button = static_cast<SDL_GameControllerButton>(SdlPadButton(event.padButton));
    if (SDL_GameControllerGetButton(controller, button)) queue_.Push(event);
  }
  event.type = EventType::PadAxisMotion;
  for (int i = 0; i < kPadAxisCount; ++i) {
    event.padAxis = static_cast<PadAxis>(i);
    event.axisValue =
        SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(SdlPadAxis(event.padAxis)));
    queue_.Push(event);  // an axis at rest changes nothing and is dropped
  }
}

void SdlContext::ClosePad(SDL_JoystickID id) {
  const auto it = pads_.find(id);
  if (it == pads_.end()) return;
  SDL_GameControllerClose(it->second);
  pads_.erase(it);
  PushPadEvent(EventType::PadRemoved, id);
}

void SdlContext::PushPadEvent(EventType type, SDL_JoystickID id) {
  Event event;
  event.type = type;
  event.pad = id;
  queue_.Push(event);
}

bool SdlContext::IsWarpLanding(const SDL_MouseMotionEvent& motion) {
  if (!warp_.pending || motion.windowID != warp_.window || motion.x != warp_.x || motion.y != warp_.y) {
    return false;
  }
  warp_.pending = false;
  return true;
}

bool SdlContext::Translate(const SDL_Event& sdl, Event& event) {
  switch (sdl.type) {
    case SDL_WINDOWEVENT:
      if (!TranslateWindowEvent(sdl.window, event)) return false;
      // A full-screen display the player has put in a window closes as any window does: the program ends.
      if (event.type == EventType::CloseRequest) {
        const SdlWindow* window = Find(event.window);
        if (window && window->OpenedFullScreen() && !window->ShownFullScreen())
          event.type = EventType::QuitRequest;
      }
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      event.type = sdl.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      event.window = sdl.key.windowID;
      event.scanCode = KeyCodeFromSdlScancode(sdl.key.keysym.scancode);
      return sdl.key.repeat == 0 && event.scanCode != 0;
    case SDL_MOUSEMOTION:
      event.type = EventType::MouseMotion;
      event.window = sdl.motion.windowID;
      event.dx = sdl.motion.xrel;
      event.dy = sdl.motion.yrel;
      return !IsWarpLanding(sdl.motion) && (event.dx != 0 || event.dy != 0);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      event.type = sdl.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseButtonDown : EventType::MouseButtonUp;
      event.window = sdl.button.windowID;
      event.button = ButtonFromSdlButton(sdl.button.button);
      return event.button != 0;
    case SDL_MOUSEWHEEL:
      event.type = EventType::MouseWheel;
      event.window = sdl.wheel.windowID;
      event.wheel = sdl.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -sdl.wheel.y : sdl.wheel.y;
      return event.wheel != 0;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      event.type = sdl.type == SDL_CONTROLLERBUTTONDOWN ? EventType::PadButtonDown : EventType::PadButtonUp;
      event.pad = sdl.cbutton.which;
      return PadButtonFromSdl(sdl.cbutton.button, event.padButton);
    case SDL_CONTROLLERAXISMOTION:
      event.type = EventType::PadAxisMotion;
      event.pad = sdl.caxis.which;
      event.axisValue = sdl.caxis.value;
      return PadAxisFromSdl(sdl.caxis.axis, event.padAxis);
    case SDL_AUDIODEVICEREMOVED:
      event.type = EventType::AudioDeviceLost;
      return sdl.adevice.iscapture == 0 && audioDevice_ != 0 && sdl.adevice.which == audioDevice_;
    case SDL_DISPLAYEVENT:
      event.type = EventType::DisplayChanged;
      return true;
    case SDL_QUIT:
      event.type = EventType::QuitRequest;
      return true;
    case SDL_RENDER_DEVICE_RESET:
      for (auto& [id, window] : windows_) window->Shows().ForgetTexture();
      return false;
    default:
      return false;
  }
}

}  // namespace rt::platform

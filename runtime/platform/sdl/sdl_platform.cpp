#include "runtime/platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "runtime/platform/event_queue.h"
#include "runtime/platform/sdl/sdl_mapping.h"

namespace rt::platform {

namespace {

constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;
constexpr Uint16 kAudioFrames = 1024;  // about 23 ms: the most the mix may lag behind the game
constexpr int kMaxIconSide = 1024;
constexpr int kButtonOk = 1, kButtonYes = 6, kButtonNo = 7;

// A window with the renderer and the texture that show its pictures.
class WindowResources {
 public:
  WindowResources(SDL_Window* window, SDL_Renderer* renderer, bool fullScreen)
      : window_(window), renderer_(renderer), fullScreen_(fullScreen) {}
  ~WindowResources() {
    ForgetTexture();
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
  }
  WindowResources(const WindowResources&) = delete;
  WindowResources& operator=(const WindowResources&) = delete;

  SDL_Window* Window() const { return window_; }
  bool FullScreen() const { return fullScreen_; }

  // Shows the picture at `target` (output pixels) on black and waits for the retrace where vsync works.
  void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const SDL_Rect* target) {
    if (!Upload(pixels, width, height, pitchBytes)) return;
    Clear();
    SDL_RenderCopy(renderer_, texture_, nullptr, target);
    SDL_RenderPresent(renderer_);
  }

  void ShowBlack() {
    Clear();
    SDL_RenderPresent(renderer_);
  }

  Rect OutputSize() const {
    Rect size;
    if (SDL_GetRendererOutputSize(renderer_, &size.width, &size.height) != 0) return Rect{};
    return size;
  }

  // After a device reset textures are gone; the next picture makes a new one.
  void ForgetTexture() {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    textureWidth_ = textureHeight_ = 0;
  }

 private:
  void Clear() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer_);
  }

  bool Upload(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
    if (width != textureWidth_ || height != textureHeight_) {
      ForgetTexture();
      // 0x00RRGGBB pixels are ARGB with an alpha that blending must not look at.
      texture_ =
          SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
      if (!texture_) return false;
      SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
      SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
      textureWidth_ = width;
      textureHeight_ = height;
    }
    return SDL_UpdateTexture(texture_, nullptr, pixels, pitchBytes) == 0;
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  bool fullScreen_;
};

SDL_Renderer* CreateRenderer(SDL_Window* window) {
  SDL_Renderer* renderer =
      SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  return renderer ? renderer : SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

bool Playable(const SDL_AudioSpec& device) {
  return (device.freq == 44100 || device.freq == 48000) && device.channels == kAudioChannels &&
         (device.format == AUDIO_S16SYS || device.format == AUDIO_F32SYS);
}

// SDL turns SIGINT and SIGTERM into a quit request; a closed terminal (SIGHUP) ends the game the same
// way, through its end routine. A signal that whoever started us ignores (nohup) stays ignored.
volatile std::sig_atomic_t hangUpPending = 0;

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

class SdlPlatform : public Platform {
 public:
  SdlPlatform() {
    // SDL turns SIGINT and SIGTERM into SDL_QUIT, which the game takes as a request to end, so the
    // end routine runs. Closing a window must not post it too: in full screen the close box is ignored.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    catchingHangUp_ = CatchHangUp();
  }
  ~SdlPlatform() override {
    CloseAudio();
    windows_.clear();
    SDL_Quit();
    if (catchingHangUp_) ReleaseHangUp();
  }
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  bool DesktopMode(int& width, int& height, int& depth) override;
  WindowId CreateWindow(const WindowDesc& desc) override;
  WindowId CreateFullScreenWindow(const std::string& title) override;
  void DestroyWindow(WindowId window) override;
  void ShowWindow(WindowId window, bool visible) override;
  void SetWindowTitle(WindowId window, const std::string& title) override;
  void SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) override;
  bool WindowGeometry(WindowId window, Rect& outer, Rect& client) override;
  WindowId FocusedWindow() override;
  void Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
               const Rect& dest) override;
  bool NextEvent(Event& event, int timeoutMs) override;
  void ShowCursor(bool visible) override;
  void ConfineCursor(WindowId window, const Rect* clientArea) override;
  void WarpCursor(WindowId window, int x, int y) override;
  void SetRelativeMouse(bool on) override;
  bool HasKeyboard() override { return EnsureVideo(); }
  bool HasMouse() override { return EnsureVideo(); }
  void ReadKeyState(std::uint8_t state[256]) override;
  int TakeMouseEvents(MouseEvent* out, int max) override;
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;
  MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                               MessageButtons buttons) override;
  std::uint64_t Counter() override { return SDL_GetPerformanceCounter(); }
  std::uint64_t CounterFrequency() override { return SDL_GetPerformanceFrequency(); }
  void SleepMs(int milliseconds) override;
  std::uint32_t TickMs() override { return SDL_GetTicks(); }
  LocalDateTime LocalTime() override;
  std::string ProgramPath() override;

 private:
  // Where the last warp put the cursor: the motion it causes is not the player's.
  struct Warp {
    bool pending = false;
    WindowId window = 0;
    int x = 0, y = 0;
  };

  bool EnsureVideo();
  bool EnsureAudio();
  bool EventsRunning() const { return SDL_WasInit(SDL_INIT_EVENTS) != 0; }
  WindowResources* Find(WindowId window);
  WindowId Adopt(SDL_Window* window, bool fullScreen);
  void Reveal(WindowResources& window);
  void ReleaseConfinement();
  void Pump();
  bool WaitForEvent(int timeoutMs);
  void Take(const SDL_Event& event);
  bool Translate(const SDL_Event& sdl, Event& event);
  bool TranslateWindowEvent(const SDL_WindowEvent& sdl, Event& event);
  bool IsWarpLanding(const SDL_MouseMotionEvent& motion);
  void DropInputForMessageBox();
  static void FillAudio(void* user, Uint8* stream, int length);

  bool catchingHangUp_ = false;
  bool videoTried_ = false, videoReady_ = false;
  bool audioTried_ = false, audioReady_ = false;
  std::map<WindowId, std::unique_ptr<WindowResources>> windows_;
  EventQueue queue_;
  WindowId confined_ = 0;
  SDL_Rect confineArea_{};
  bool warpDue_ = false;
  Warp warp_;
  SDL_AudioDeviceID audioDevice_ = 0;
  AudioCallback audioCallback_ = nullptr;
  void* audioUser_ = nullptr;
  int audioFrameBytes_ = 1;
};

// ---- Start-up

bool SdlPlatform::EnsureVideo() {
  if (!videoTried_) {
    videoTried_ = true;
    videoReady_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (videoReady_) SDL_StopTextInput();  // keys only, no typed characters
  }
  return videoReady_;
}

bool SdlPlatform::EnsureAudio() {
  if (!audioTried_) {
    audioTried_ = true;
    audioReady_ = SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) == 0;
  }
  return audioReady_;
}

// ---- Desktop and windows

bool SdlPlatform::DesktopMode(int& width, int& height, int& depth) {
  SDL_DisplayMode mode;
  if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  width = mode.w;
  height = mode.h;
  // Four bytes a pixel is a 32-bit desktop, whatever SDL counts as colour bits.
  depth = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  return true;
}

WindowResources* SdlPlatform::Find(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowId SdlPlatform::Adopt(SDL_Window* window, bool fullScreen) {
  if (!window) return 0;
  SDL_Renderer* renderer = CreateRenderer(window);
  if (!renderer) {
    SDL_DestroyWindow(window);
    return 0;
  }
  const WindowId id = SDL_GetWindowID(window);
  windows_[id] = std::make_unique<WindowResources>(window, renderer, fullScreen);
  return id;
}

void SdlPlatform::Reveal(WindowResources& window) {
  SDL_ShowWindow(window.Window());
  SDL_RaiseWindow(window.Window());
  window.ShowBlack();
}

WindowId SdlPlatform::CreateWindow(const WindowDesc& desc) {
  if (!EnsureVideo() || desc.clientWidth <= 0 || desc.clientHeight <= 0) return 0;
  const Uint32 flags = SDL_WINDOW_HIDDEN | (desc.decorated ? 0 : SDL_WINDOW_BORDERLESS);
  const int x = desc.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : desc.x;
  const int y = desc.centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : desc.y;
  const WindowId id =
      Adopt(SDL_CreateWindow(desc.title.c_str(), x, y, desc.clientWidth, desc.clientHeight, flags), false);
  WindowResources* window = Find(id);
  if (!window || !desc.visible) return id;
  Reveal(*window);
  int top = 0, left = 0, bottom = 0, right = 0;
  // The given corner is the frame's; SDL places the client area. The frame is known once shown.
  if (!desc.centred && SDL_GetWindowBordersSize(window->Window(), &top, &left, &bottom, &right) == 0) {
    SDL_SetWindowPosition(window->Window(), desc.x + left, desc.y + top);
  }
  return id;
}

WindowId SdlPlatform::CreateFullScreenWindow(const std::string& title) {
  int width = 0, height = 0, depth = 0;
  if (!DesktopMode(width, height, depth)) return 0;
  // A desktop-sized window: the display mode never changes.
  const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP;
  const WindowId id = Adopt(
      SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags),
      true);
  if (WindowResources* window = Find(id)) Reveal(*window);
  return id;
}

void SdlPlatform::DestroyWindow(WindowId window) {
  if (!Find(window)) return;
  if (confined_ == window) ReleaseConfinement();
  if (warp_.window == window) warp_ = Warp{};
  windows_.erase(window);
}

void SdlPlatform::ShowWindow(WindowId window, bool visible) {
  WindowResources* found = Find(window);
  if (!found) return;
  if (visible) {
    Reveal(*found);
  } else {
    SDL_HideWindow(found->Window());
  }
}

void SdlPlatform::SetWindowTitle(WindowId window, const std::string& title) {
  if (WindowResources* found = Find(window)) SDL_SetWindowTitle(found->Window(), title.c_str());
}

void SdlPlatform::SetWindowIcon(WindowId window, const std::uint32_t* pixels, int width, int height) {
  WindowResources* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide) return;
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < argb.size(); ++i) argb[i] = pixels[i] == 0 ? 0 : 0xFF000000u | pixels[i];
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(found->Window(), surface);  // SDL keeps its own copy
  SDL_FreeSurface(surface);
}

bool SdlPlatform::WindowGeometry(WindowId window, Rect& outer, Rect& client) {
  WindowResources* found = Find(window);
  if (!found) return false;
  SDL_GetWindowPosition(found->Window(), &client.x, &client.y);
  SDL_GetWindowSize(found->Window(), &client.width, &client.height);
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(found->Window(), &top, &left, &bottom, &right) != 0)
    top = left = bottom = right = 0;
  outer = Rect{client.x - left, client.y - top, client.width + left + right, client.height + top + bottom};
  return true;
}

WindowId SdlPlatform::FocusedWindow() {
  if (!videoReady_) return 0;
  SDL_Window* focused = SDL_GetKeyboardFocus();
  if (!focused) return 0;
  const WindowId id = SDL_GetWindowID(focused);
  return Find(id) ? id : 0;
}

void SdlPlatform::Present(WindowId window, const std::uint32_t* pixels, int width, int height, int pitchBytes,
                          const Rect& dest) {
  WindowResources* found = Find(window);
  if (!found || !pixels || width <= 0 || height <= 0) return;
  if (found->FullScreen()) {
    const Rect output = found->OutputSize();
    const Rect fit = FitToOutput(width, height, output.width, output.height);
    const SDL_Rect target{fit.x, fit.y, fit.width, fit.height};
    found->Show(pixels, width, height, pitchBytes, &target);
    return;
  }
  const bool sized = dest.width > 0 && dest.height > 0;
  const SDL_Rect target{dest.x, dest.y, sized ? dest.width : width, sized ? dest.height : height};
  found->Show(pixels, width, height, pitchBytes, &target);
}

// ---- Events

void SdlPlatform::Pump() {
  if (hangUpPending) {
    hangUpPending = 0;
    Event quit;
    quit.type = EventType::QuitRequest;
    queue_.Push(quit);
  }
  if (!EventsRunning()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) Take(event);
}

void SdlPlatform::Take(const SDL_Event& sdl) {
  Event event;
  if (Translate(sdl, event)) queue_.Push(event);
}

// Waits for one event of SDL's: false when none came in time (or waiting failed).
bool SdlPlatform::WaitForEvent(int timeoutMs) {
  SDL_Event event;
  const int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
  if (!got) return false;
  Take(event);
  Pump();
  return true;
}

bool SdlPlatform::NextEvent(Event& event, int timeoutMs) {
  Pump();
  if (queue_.Pop(event)) return true;
  if (timeoutMs == 0 || !EventsRunning()) return false;
  const Uint64 start = SDL_GetTicks64();
  for (;;) {
    int remaining = -1;
    if (timeoutMs > 0) {
      const Uint64 elapsed = SDL_GetTicks64() - start;
      if (elapsed >= static_cast<Uint64>(timeoutMs)) return false;
      remaining = timeoutMs - static_cast<int>(elapsed);
    }
    if (!WaitForEvent(remaining)) return false;
    if (queue_.Pop(event)) return true;  // SDL events we do not report keep the wait going
  }
}

bool SdlPlatform::IsWarpLanding(const SDL_MouseMotionEvent& motion) {
  if (!warp_.pending || motion.windowID != warp_.window || motion.x != warp_.x || motion.y != warp_.y) {
    return false;
  }
  warp_.pending = false;
  return true;
}

bool SdlPlatform::TranslateWindowEvent(const SDL_WindowEvent& sdl, Event& event) {
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

bool SdlPlatform::Translate(const SDL_Event& sdl, Event& event) {
  switch (sdl.type) {
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(sdl.window, event);
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
      for (auto& [id, window] : windows_) window->ForgetTexture();
      return false;
    default:
      return false;
  }
}

void SdlPlatform::ReadKeyState(std::uint8_t state[256]) {
  Pump();
  queue_.ReadKeyState(state);
}

int SdlPlatform::TakeMouseEvents(MouseEvent* out, int max) {
  Pump();
  return queue_.TakeMouseEvents(out, max);
}

// ---- Cursor

void SdlPlatform::ShowCursor(bool visible) {
  if (videoReady_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPlatform::ReleaseConfinement() {
  if (WindowResources* window = Find(confined_)) {
    SDL_SetWindowMouseRect(window->Window(), nullptr);
    SDL_SetWindowGrab(window->Window(), SDL_FALSE);
  }
  confined_ = 0;
}

// The grab pulls the cursor into the window and holds it there while the window has the focus (SDL
// lets go when the focus leaves); the rectangle narrows it to the area.
void SdlPlatform::ConfineCursor(WindowId window, const Rect* clientArea) {
  WindowResources* found = Find(window);
  if (!clientArea || !found) {
    ReleaseConfinement();
    return;
  }
  if (confined_ != window) {
    ReleaseConfinement();
    warpDue_ = true;  // the grab may have moved the cursor where SDL does not see it
  }
  confineArea_ = SDL_Rect{clientArea->x, clientArea->y, clientArea->width, clientArea->height};
  SDL_SetWindowMouseRect(found->Window(), &confineArea_);
  SDL_SetWindowGrab(found->Window(), SDL_TRUE);
  confined_ = window;
}

void SdlPlatform::WarpCursor(WindowId window, int x, int y) {
  WindowResources* found = Find(window);
  if (!found) return;
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
  warp_ = Warp{true, window, x, y};
}

void SdlPlatform::SetRelativeMouse(bool on) {
  if (videoReady_) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

// ---- Audio

void SdlPlatform::FillAudio(void* user, Uint8* stream, int length) {
  auto* self = static_cast<SdlPlatform*>(user);
  self->audioCallback_(self->audioUser_, stream, length / self->audioFrameBytes_);
}

// The device's own rate (44.1 or 48 kHz) and sample type (16-bit or float) are taken as they are;
// anything else is converted by SDL from 44.1 kHz 16-bit stereo.
bool SdlPlatform::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!callback || audioDevice_ != 0 || !EnsureAudio()) return false;
  audioCallback_ = callback;
  audioUser_ = user;
  SDL_AudioSpec desired{};
  desired.freq = kAudioRate;
  desired.format = AUDIO_S16SYS;
  desired.channels = kAudioChannels;
  desired.samples = kAudioFrames;
  desired.callback = &SdlPlatform::FillAudio;
  desired.userdata = this;
  SDL_AudioSpec got{};
  audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &desired, &got,
                                     SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE);
  if (audioDevice_ != 0 && !Playable(got)) {
    SDL_CloseAudioDevice(audioDevice_);
    audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &desired, &got, 0);
  }
  if (audioDevice_ == 0) {
    audioCallback_ = nullptr;
    return false;
  }
  obtained =
      AudioFormat{got.freq, got.channels, got.format == AUDIO_F32SYS ? SampleFormat::F32 : SampleFormat::S16};
  audioFrameBytes_ = obtained.BytesPerFrame();
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

void SdlPlatform::CloseAudio() {
  if (audioDevice_ == 0) return;
  SDL_CloseAudioDevice(audioDevice_);  // waits for a running callback
  audioDevice_ = 0;
  audioCallback_ = nullptr;
}

void SdlPlatform::LockAudio() {
  if (audioDevice_ != 0) SDL_LockAudioDevice(audioDevice_);
}

void SdlPlatform::UnlockAudio() {
  if (audioDevice_ != 0) SDL_UnlockAudioDevice(audioDevice_);
}

// ---- Message box

void SdlPlatform::DropInputForMessageBox() {
  if (!EventsRunning()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (!MeantForMessageBox(event)) Take(event);
  }
}

// Return answers OK or Yes, Escape OK or No; a box that cannot be shown answers as Escape would.
MessageAnswer SdlPlatform::ShowMessageBox(const std::string& title, const std::string& text,
                                          MessageButtons buttons) {
  static const SDL_MessageBoxButtonData kOk[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kButtonOk, "OK"}};
  static const SDL_MessageBoxButtonData kYesNo[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kButtonYes, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kButtonNo, "No"}};
  const bool yesNo = buttons == MessageButtons::YesNo;
  Pump();  // what happened before the box still counts
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  const WindowId owner = FocusedWindow();
  box.window = owner != 0 ? Find(owner)->Window() : nullptr;
  box.title = title.c_str();
  box.message = text.c_str();
  box.numbuttons = yesNo ? 2 : 1;
  box.buttons = yesNo ? kYesNo : kOk;
  int pressed = -1;
  const bool shown = SDL_ShowMessageBox(&box, &pressed) == 0;
  DropInputForMessageBox();
  if (!yesNo) return MessageAnswer::Ok;
  return shown && pressed == kButtonYes ? MessageAnswer::Yes : MessageAnswer::No;
}

// ---- Time and the program

void SdlPlatform::SleepMs(int milliseconds) {
  if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

LocalDateTime SdlPlatform::LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (!localtime_r(&now, &parts)) return LocalDateTime{};
  return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                       parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::string SdlPlatform::ProgramPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform() {
  return std::make_unique<SdlPlatform>();
}

}  // namespace rt::platform

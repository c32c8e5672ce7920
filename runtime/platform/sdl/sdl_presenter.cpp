#include "runtime/platform/sdl/sdl_presenter.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace rt::platform {

namespace {

// OpenGL implementations that rasterise on the CPU.
bool SoftwareRasteriser(std::string_view renderer) {
  for (std::string_view name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (renderer.find(name) != std::string_view::npos) return true;
  }
  return false;
}

// The GL_RENDERER string of the current OpenGL context, or "" when there is none.
std::string_view OpenGlRenderer() {
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int kGlRenderer = 0x1F01;
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  return name ? std::string_view(reinterpret_cast<const char*>(name)) : std::string_view();
}

bool RendererRunsOnHardware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE) != 0) return false;
  const std::string_view name = info.name;
  return !name.starts_with("opengl") || !SoftwareRasteriser(OpenGlRenderer());
}

PresentPath ProbePresentPath() {
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  if (!probe) return PresentPath::Surface;
  SDL_Renderer* renderer = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED);
  const bool hardware = renderer && RendererRunsOnHardware(renderer);
  if (renderer) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(probe);
  return hardware ? PresentPath::Texture : PresentPath::Surface;
}

void FillBlack(SDL_Surface* surface) {
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
}

bool HoldsRgbWords(const SDL_Surface* surface) {
  const SDL_PixelFormat* format = surface->format;
  return format->BytesPerPixel == 4 && format->Rmask == 0xFF0000 && format->Gmask == 0xFF00 &&
         format->Bmask == 0xFF;
}

// The window surface, written directly: no renderer, no texture upload, and only the picture's
// rectangle goes to the display each frame (the black around it when the layout changes).
class SurfacePresenter : public Presenter {
 public:
  explicit SurfacePresenter(SDL_Window* window) : window_(window) {}

  void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& target) override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);  // made anew after the window's size changes
    if (!surface || !HoldsRgbWords(surface))
      return ShowConverted(surface, pixels, width, height, pitchBytes, target);
    const bool newLayout = surface != laidOut_ || target.x != last_.x || target.y != last_.y ||
                           target.width != last_.width || target.height != last_.height;
    if (newLayout) FillBlack(surface);
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    ScalePicture(pixels, width, height, pitchBytes, target, static_cast<std::uint8_t*>(surface->pixels),
                 surface->w, surface->h, surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    const SDL_Rect shown{target.x, target.y, target.width, target.height};
    if (newLayout) {
      SDL_UpdateWindowSurface(window_);
    } else {
      SDL_UpdateWindowSurfaceRects(window_, &shown, 1);
    }
    laidOut_ = surface;
    last_ = target;
  }

  void ShowBlack() override {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    FillBlack(surface);
    SDL_UpdateWindowSurface(window_);
    laidOut_ = nullptr;
  }

  Rect OutputSize() override {
    Rect size;
    SDL_GetWindowSizeInPixels(window_, &size.width, &size.height);
    return size;
  }

  bool WaitsForRetrace() const override { return false; }

 private:
  // A window surface of another layout (a 16-bit desktop): SDL converts and scales.
  void ShowConverted(SDL_Surface* surface, const std::uint32_t* pixels, int width, int height, int pitchBytes,
                     const Rect& target) {
    if (!surface) return;
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), width,
                                                              height, 32, pitchBytes, SDL_PIXELFORMAT_RGB888);
    if (!picture) return;
    FillBlack(surface);
    SDL_Rect shown{target.x, target.y, target.width, target.height};
    SDL_BlitScaled(picture, nullptr, surface, &shown);
    SDL_FreeSurface(picture);
    SDL_UpdateWindowSurface(window_);
    laidOut_ = nullptr;
  }

  SDL_Window* window_;
  const SDL_Surface* laidOut_ = nullptr;  // the surface the black around the picture was drawn on
  Rect last_;
};

// An accelerated renderer with a streaming texture that the picture is copied into in place.
class TexturePresenter : public Presenter {
 public:
  TexturePresenter(SDL_Renderer* renderer, bool retrace) : renderer_(renderer), retrace_(retrace) {}
  ~TexturePresenter() override {
    ForgetTexture();
    SDL_DestroyRenderer(renderer_);
  }
  TexturePresenter(const TexturePresenter&) = delete;
  TexturePresenter& operator=(const TexturePresenter&) = delete;

  void Show(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& target) override {
    if (!Upload(pixels, width, height, pitchBytes)) return;
    Clear();
    const SDL_Rect shown{target.x, target.y, target.width, target.height};
    SDL_RenderCopy(renderer_, texture_, nullptr, &shown);
    SDL_RenderPresent(renderer_);
  }

  void ShowBlack() override {
    Clear();
    SDL_RenderPresent(renderer_);
  }

  Rect OutputSize() override {
    Rect size;
    if (SDL_GetRendererOutputSize(renderer_, &size.width, &size.height) != 0) return Rect{};
    return size;
  }

  bool WaitsForRetrace() const override { return retrace_; }

  void ForgetTexture() override {
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
    void* locked = nullptr;
    int lockedPitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &locked, &lockedPitch) != 0) return false;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
      std::memcpy(static_cast<std::uint8_t*>(locked) + static_cast<std::ptrdiff_t>(y) * lockedPitch,
                  reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitchBytes,
                  rowBytes);
    }
    SDL_UnlockTexture(texture_);
    return true;
  }

  SDL_Renderer* renderer_;
  bool retrace_;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
};

// Each of `count` pixels `repeat` times; doubling, the common case, stores two at once.
void RepeatPixels(const std::uint32_t* from, int count, int repeat, std::uint32_t* to) {
  if (repeat == 2) {
    for (int x = 0; x < count; ++x) {
      const std::uint64_t twice = std::uint64_t{from[x]} * 0x100000001u;
      std::memcpy(to + 2 * x, &twice, sizeof twice);
    }
    return;
  }
  for (int x = 0; x < count; ++x, to += repeat) std::fill_n(to, repeat, from[x]);
}

}  // namespace

PresentPath ChoosePresentPath() {
  const char* forced = SDL_getenv("PELLARIS_PRESENT");
  if (forced && std::string_view(forced) == "texture") return PresentPath::Texture;
  if (forced && std::string_view(forced) == "surface") return PresentPath::Surface;
  return ProbePresentPath();
}

std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, PresentPath path, bool retrace) {
  if (path == PresentPath::Surface) {
    // SDL would otherwise put the window surface on the screen through a renderer of its own.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!SDL_GetWindowSurface(window)) return nullptr;
    return std::make_unique<SurfacePresenter>(window);
  }
  const Uint32 sync = retrace ? SDL_RENDERER_PRESENTVSYNC : 0;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | sync);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) return nullptr;
  SDL_RendererInfo info;
  const bool waits =
      SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  return std::make_unique<TexturePresenter>(renderer, waits);
}

void ScalePicture(const std::uint32_t* pixels, int width, int height, int pitchBytes, const Rect& target,
                  std::uint8_t* out, int outWidth, int outHeight, int outPitch) {
  if (target.width <= 0 || target.height <= 0 || width <= 0 || height <= 0) return;
  const int left = std::max(target.x, 0), right = std::min(target.x + target.width, outWidth);
  const int top = std::max(target.y, 0), bottom = std::min(target.y + target.height, outHeight);
  if (left >= right || top >= bottom) return;
  const auto rowBytes = static_cast<std::size_t>(right - left) * 4;
  const bool sameWidth = target.width == width && left == target.x;
  const bool wholeScale = !sameWidth && left == target.x && right == target.x + target.width &&
                          target.width % width == 0;
  // Any other stretch looks its source columns up; the table is kept so that presenting allocates once.
  static thread_local std::vector<int> columns;
  columns.clear();
  if (!sameWidth && !wholeScale) {
    for (int x = left; x < right; ++x) {
      const std::int64_t centre = 2 * static_cast<std::int64_t>(x - target.x) + 1;
      columns.push_back(static_cast<int>(centre * width / (2 * static_cast<std::int64_t>(target.width))));
    }
  }
  int previousSource = -1;
  std::uint8_t* previousRow = nullptr;
  for (int y = top; y < bottom; ++y) {
    const std::int64_t centre = 2 * static_cast<std::int64_t>(y - target.y) + 1;
    const int source = static_cast<int>(centre * height / (2 * static_cast<std::int64_t>(target.height)));
    std::uint8_t* row =
        out + static_cast<std::ptrdiff_t>(y) * outPitch + static_cast<std::ptrdiff_t>(left) * 4;
    if (source == previousSource) {
      std::memcpy(row, previousRow, rowBytes);  // a whole-number scale repeats rows
    } else {
      const auto* from = reinterpret_cast<const std::uint32_t*>(
          reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(source) * pitchBytes);
      auto* to = reinterpret_cast<std::uint32_t*>(row);
      if (sameWidth) {
        std::memcpy(row, from, rowBytes);
      } else if (wholeScale) {  // the centre of each of a source pixel's copies falls inside it
        RepeatPixels(from, width, target.width / width, to);
      } else {
        for (std::size_t i = 0; i < columns.size(); ++i) to[i] = from[columns[i]];
      }
    }
    previousSource = source;
    previousRow = row;
  }
}

}  // namespace rt::platform

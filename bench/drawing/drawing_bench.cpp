// The frame's drawing work measured on our runtime and, on identical pixels in the same run, on SDL2's
// own software surfaces: clearing, the scrolling starfield, the rocks, the translucent pop-ups, the
// status bar, the craft's collision tests, and all of it as one frame in the game's order.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/collision.h"
#include "runtime/sprites/drawing.h"
#include "runtime/sprites/font.h"
#include "runtime/sprites/sprite.h"

namespace {

constexpr int kScreenWidth = 640, kScreenHeight = 400;

// ---- The pictures: made here, the same for both sides ----

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, the screen's layout
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture Blank(int width, int height) {
  return {width, height, std::vector<std::uint32_t>(width * height, 0)};
}

std::uint32_t Grey(int level) {
  return static_cast<std::uint32_t>(level) * 0x010101u;
}

// One grey star per row below the first, dimmer behind the status bar.
Picture Starfield() {
  Picture picture = Blank(kScreenWidth, kScreenHeight);
  std::mt19937 random(1234);
  for (int row = 1; row < kScreenHeight; ++row) {
    const int x = std::uniform_int_distribution<int>(0, kScreenWidth - 1)(random);
    const int level = std::uniform_int_distribution<int>(0, row <= 350 ? 230 : 100)(random);
    picture.pixels[static_cast<std::size_t>(row) * kScreenWidth + x] = Grey(level);
  }
  return picture;
}

// A lumpy shaded blob on black.
Picture Rock() {
  Picture picture = Blank(18, 20);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const float dx = (x - 8.5f) / 9.0f, dy = (y - 9.5f) / 10.0f;
      const float edge = 0.85f + 0.15f * std::sin(5.0f * std::atan2(dy, dx));
      if (dx * dx + dy * dy > edge * edge) continue;
      const int shade = 60 + 6 * (picture.width - x) + 3 * (picture.height - y);
      picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
          static_cast<std::uint32_t>(shade) << 16 | static_cast<std::uint32_t>(shade * 3 / 4) << 8 | 40u;
    }
  }
  return picture;
}

// A wedge pointing right, brighter along its spine.
Picture Craft() {
  Picture picture = Blank(29, 21);
  for (int y = 0; y < picture.height; ++y) {
    const int length = picture.width - 3 * std::abs(y - 10);
    for (int x = 0; x < length; ++x) {
      picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
          y == 10 ? 0xE0F0FFu : 0x4070A0u + 0x020202u * x;
    }
  }
  return picture;
}

// "50" in white on mid-grey: every pixel opaque.
Picture Popup() {
  static const char* const kRows[8] = {"................", ".#####...#####..", ".#.......#...#..",
                                       ".####....#...#..", ".....#...#...#..", ".....#...#...#..",
                                       ".####....#####..", "................"};
  Picture picture = Blank(16, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) picture.pixels[y * 16 + x] = kRows[y][x] == '#' ? 0xFFFFFFu : 0x808080u;
  }
  return picture;
}

// ---- The scene: where things are in the measured frame ----

struct Placed {
  int x, y;
};

// The status bar: the box along the bottom that the round paints every frame (0x00BBGGRR, as the
// drawing takes it; the flash level 0), the score at the top left and the remaining time at the top
// right.
constexpr int kHudBoxTop = 350;
constexpr std::uint32_t kHudBoxColor = 0x461414;
constexpr std::uint32_t kHudColor = 0xC8C8C8;
struct HudText {
  const char* text;
  bool rightAligned;
};

struct Scene {
  std::vector<HudText> hud;
  Picture starfield = Starfield(), rock = Rock(), craft = Craft(), popup = Popup();
  int backdropX = -213;
  Placed craftAt{40, 190};
  std::vector<Placed> rocks;
  std::vector<Placed> rocksOnCraft;  // every box overlapping the craft's: the scans' worst case
  std::vector<Placed> popups;
  std::vector<int> popupIntensities;

  Scene() {
    hud = {{"Score: 12345", false}, {"Remaining Time: 01:23", true}};
    // Three rocks on the craft (two touching its pixels, one only its box), the rest drifting across
    // the field and in from the right edge.
    rocks = {{55, 185}, {30, 200}, {66, 208}};
    for (int i = 3; i < 40; ++i) rocks.push_back({90 + (i * 137) % 570, (i * 71) % 390 - 8});
    for (int i = 0; i < 40; ++i)
      rocksOnCraft.push_back({craftAt.x - 17 + (i * 7) % 46, craftAt.y - 19 + (i * 11) % 40});
    for (int i = 0; i < 10; ++i) {
      popups.push_back({60 * i + 7, 40 + 30 * i});
      popupIntensities.push_back(255 - 25 * i);
    }
  }
};

const Scene& TheScene() {
  static const Scene scene;
  return scene;
}

// ---- Our side: the runtime on the headless backend, sprites by number ----

enum SpriteNumber : int { kCraft = 0, kBackdrop = 1, kRock = 2, kPopup = 16, kBackdropCopy = 201 };

void LoadSprite(int number, const Picture& picture) {
  rt::CreateSprite(number, picture.width, picture.height);
  rt::DrawingTarget* target = rt::SpriteTarget(number);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(target->surface->RowAs<std::uint32_t>(y),
                &picture.pixels[static_cast<std::size_t>(y) * picture.width],
                static_cast<std::size_t>(picture.width) * 4);
  }
  target->endDrawing();
}

class OurRuntime {
 public:
  OurRuntime() {
    rt::InitSpriteSystem();
    rt::OpenScreen(kScreenWidth, kScreenHeight, 32, "bench");
    const Scene& scene = TheScene();
    LoadSprite(kBackdrop, scene.starfield);
    rt::CopySprite(kBackdrop, kBackdropCopy);
    LoadSprite(kCraft, scene.craft);
    LoadSprite(kRock, scene.rock);
    LoadSprite(kPopup, scene.popup);
  }
  ~OurRuntime() { rt::EndRuntime(); }

  void Clear() { rt::ClearScreen(0); }
  void Backdrop(const Scene& s) {
    rt::DrawSprite(kBackdrop, s.backdropX, 0);
    rt::DrawSprite(kBackdropCopy, s.backdropX + kScreenWidth, 0);
  }
  void Craft(const Scene& s) { rt::DrawSprite(kCraft, s.craftAt.x, s.craftAt.y); }
  void Rocks(const Scene& s) {
    for (const Placed& at : s.rocks) Rock(at);
  }
  void Rock(const Placed& at) { rt::DrawSprite(kRock, at.x, at.y); }
  int Collide(const Scene& s, const Placed& rock) {
    return rt::SpritesCollide(kCraft, s.craftAt.x, s.craftAt.y, kRock, rock.x, rock.y);
  }
  void Popups(const Scene& s) {
    for (std::size_t i = 0; i < s.popups.size(); ++i) {
      rt::DrawSpriteTranslucent(kPopup, s.popups[i].x, s.popups[i].y, s.popupIntensities[i]);
    }
  }
  void Hud(const Scene& s) {
    rt::BeginDrawing(rt::ScreenTarget());
    rt::DrawBox(0, kHudBoxTop, kScreenWidth, kScreenHeight - kHudBoxTop, kHudBoxColor);
    for (const HudText& text : s.hud) {
      rt::DrawTextAt(text.rightAligned ? kScreenWidth - rt::TextWidth(text.text) : 0, 0, text.text, kHudColor,
                     0);
    }
    rt::EndDrawing();
  }
  const rt::Surface& Screen() { return *rt::BlitTarget(); }

 private:
  rt::platform::InstalledHeadless machine_;  // installed before the runtime starts, removed after it ends
};

OurRuntime& Ours() {
  static OurRuntime runtime;
  return runtime;
}

// The peer for collision: the same sprites found by number in our table, then the overlap of their
// boxes scanned pixel by pixel until two opaque pixels meet.
std::uint32_t SpritePixel(const rt::Sprite& sprite, int x, int y) {
  return sprite.surface.RowAs<std::uint32_t>(y)[x] & 0xFFFFFF;
}

int PixelScanCollide(int number1, int x1, int y1, int number2, int x2, int y2) {
  const rt::Sprite* a = rt::FindSprite(number1);
  const rt::Sprite* b = rt::FindSprite(number2);
  if (!a || !b) return 0;
  const int left = std::max(x1, x2), right = std::min(x1 + a->width, x2 + b->width);
  const int top = std::max(y1, y2), bottom = std::min(y1 + a->height, y2 + b->height);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (SpritePixel(*a, x - x1, y - y1) != 0 && SpritePixel(*b, x - x2, y - y2) != 0) return 1;
    }
  }
  return 0;
}

template <typename Side>
int Collisions(Side& side, const std::vector<Placed>& rocks) {
  int hits = 0;
  for (const Placed& at : rocks) hits += side.Collide(TheScene(), at);
  return hits;
}

// The second peer for the pop-ups: our mix written plainly, a channel of a pixel at a time with the
// divisions of the formula, without the table or vectors. entry(v, k) = (256 v) / (65280 / (k + 1)),
// the sprite's channel at k = intensity and the target's at k = 256 - intensity, clamped at 255.
std::uint32_t PlainMix(std::uint32_t sprite, std::uint32_t target, int intensity) {
  if (sprite == 0) return target;
  std::uint32_t mixed = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int s = (sprite >> shift) & 0xFF, d = (target >> shift) & 0xFF;
    const int sum = 256 * s / (65280 / (intensity + 1)) + 256 * d / (65280 / (257 - intensity));
    mixed |= static_cast<std::uint32_t>(std::min(sum, 255)) << shift;
  }
  return mixed;
}

void PlainBlend(const Picture& sprite, SDL_Surface* target, int x, int y, int intensity) {
  for (int row = 0; row < sprite.height; ++row) {
    auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target->pixels) +
                                                static_cast<std::ptrdiff_t>(y + row) * target->pitch) +
               x;
    for (int column = 0; column < sprite.width; ++column)
      to[column] = PlainMix(sprite.At(column, row), to[column], intensity);
  }
}

// ---- SDL's side: software surfaces in the same pixel layout ----

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

enum class Keying { kNone, kKey, kKeyRle };

SdlSurface MakeSdlSurface(const Picture& picture, Keying keying) {
  SdlSurface surface(
      SDL_CreateRGBSurfaceWithFormat(0, picture.width, picture.height, 32, SDL_PIXELFORMAT_RGB888));
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch,
                &picture.pixels[static_cast<std::size_t>(y) * picture.width],
                static_cast<std::size_t>(picture.width) * 4);
  }
  if (keying != Keying::kNone) SDL_SetColorKey(surface.get(), SDL_TRUE, 0);
  SDL_SetSurfaceRLE(surface.get(), keying == Keying::kKeyRle ? 1 : 0);
  return surface;
}

// A character as our text drawing shows it, box and all, for SDL to blit as a glyph cell.
Picture GlyphPicture(char c) {
  constexpr int kScratchSprite = 300;
  const char text[2] = {c, 0};
  const int height = rt::FontHeight();
  rt::CreateSprite(kScratchSprite, 64, height);
  rt::BeginDrawing(rt::SpriteTarget(kScratchSprite));
  const int width = rt::DrawTextAt(0, 0, text, kHudColor, 0);
  rt::EndDrawing();
  const rt::Surface& drawn = rt::FindSprite(kScratchSprite)->surface;
  Picture picture = Blank(width, height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(&picture.pixels[static_cast<std::size_t>(y) * width], drawn.RowAs<std::uint32_t>(y),
                static_cast<std::size_t>(width) * 4);
  }
  return picture;
}

class SdlSide {
 public:
  explicit SdlSide(Keying keying)
      : screen_(SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, 32, SDL_PIXELFORMAT_RGB888)),
        backdrop_(MakeSdlSurface(TheScene().starfield, keying)),
        backdropCopy_(MakeSdlSurface(TheScene().starfield, keying)),
        craft_(MakeSdlSurface(TheScene().craft, keying)),
        rock_(MakeSdlSurface(TheScene().rock, keying)),
        // Never RLE-encoded: SDL 2.26 then fades the sprite at each change of its alpha modulation,
        // until after about 50 frames it draws nothing.
        popup_(MakeSdlSurface(TheScene().popup, Keying::kKey)) {
    SDL_SetSurfaceBlendMode(popup_.get(), SDL_BLENDMODE_BLEND);
    Ours();  // the glyphs come from our text drawing
    for (const HudText& text : TheScene().hud) {
      for (const char* c = text.text; *c; ++c) {
        auto& glyph = glyphs_[static_cast<unsigned char>(*c)];
        if (!glyph) glyph = MakeSdlSurface(GlyphPicture(*c), Keying::kNone);
      }
    }
  }

  void Clear() { SDL_FillRect(screen_.get(), nullptr, 0); }
  void Backdrop(const Scene& s) {
    Blit(backdrop_.get(), s.backdropX, 0);
    Blit(backdropCopy_.get(), s.backdropX + kScreenWidth, 0);
  }
  void Craft(const Scene& s) { Blit(craft_.get(), s.craftAt.x, s.craftAt.y); }
  void Rocks(const Scene& s) {
    for (const Placed& at : s.rocks) Rock(at);
  }
  void Rock(const Placed& at) { Blit(rock_.get(), at.x, at.y); }
  // SDL has no collision test: the peer is a plain scan of the overlap.
  int Collide(const Scene& s, const Placed& rock) {
    return PixelScanCollide(kCraft, s.craftAt.x, s.craftAt.y, kRock, rock.x, rock.y);
  }
  void Popups(const Scene& s) {
    for (std::size_t i = 0; i < s.popups.size(); ++i) {
      SDL_SetSurfaceAlphaMod(popup_.get(), static_cast<Uint8>(s.popupIntensities[i]));
      Blit(popup_.get(), s.popups[i].x, s.popups[i].y);
    }
  }
  // The pop-ups lie inside the screen, so the plain loop needs no clipping.
  void PlainPopups(const Scene& s) {
    for (std::size_t i = 0; i < s.popups.size(); ++i)
      PlainBlend(s.popup, screen_.get(), s.popups[i].x, s.popups[i].y, s.popupIntensities[i]);
  }
  // SDL draws no text: the peer blits a glyph cell per character, as a bitmap font would.
  void Hud(const Scene& s) {
    SDL_Rect box{0, kHudBoxTop, kScreenWidth, kScreenHeight - kHudBoxTop};
    SDL_FillRect(
        screen_.get(), &box,
        SDL_MapRGB(screen_->format, kHudBoxColor & 0xFF, (kHudBoxColor >> 8) & 0xFF, kHudBoxColor >> 16));
    for (const HudText& text : s.hud) {
      int x = text.rightAligned ? kScreenWidth - GlyphsWidth(text.text) : 0;
      for (const char* c = text.text; *c; ++c) {
        SDL_Surface* glyph = glyphs_[static_cast<unsigned char>(*c)].get();
        Blit(glyph, x, 0);
        x += glyph->w;
      }
    }
  }
  SDL_Surface* Screen() { return screen_.get(); }

 private:
  int GlyphsWidth(const char* text) const {
    int width = 0;
    for (const char* c = text; *c; ++c) width += glyphs_[static_cast<unsigned char>(*c)]->w;
    return width;
  }
  void Blit(SDL_Surface* sprite, int x, int y) {
    SDL_Rect at{x, y, 0, 0};
    SDL_BlitSurface(sprite, nullptr, screen_.get(), &at);
  }

  SdlSurface screen_, backdrop_, backdropCopy_, craft_, rock_, popup_;
  std::array<SdlSurface, 256> glyphs_;
};

SdlSide& Sdl(bool rle) {
  static SdlSide plain(Keying::kKey), encoded(Keying::kKeyRle);
  return rle ? encoded : plain;
}

// ---- Rows ----

void BM_Clear_Ours(benchmark::State& state) {
  for (auto _ : state) {
    Ours().Clear();
    benchmark::ClobberMemory();
  }
}
void BM_Clear_SdlFillRect(benchmark::State& state) {
  for (auto _ : state) {
    Sdl(false).Clear();
    benchmark::ClobberMemory();
  }
}
void BM_Clear_Memset(benchmark::State& state) {
  SDL_Surface* screen = Sdl(false).Screen();
  for (auto _ : state) {
    std::memset(screen->pixels, 0, static_cast<std::size_t>(screen->pitch) * screen->h);
    benchmark::ClobberMemory();
  }
}

// Each blit row starts from a cleared screen, as in the game, outside the timing.
template <typename Side>
void MeasureOnClearedScreen(benchmark::State& state, Side& side, void (Side::*draw)(const Scene&)) {
  const Scene& scene = TheScene();
  side.Clear();
  for (auto _ : state) {
    (side.*draw)(scene);
    benchmark::ClobberMemory();
  }
}

void BM_Starfield_Ours(benchmark::State& state) {
  MeasureOnClearedScreen(state, Ours(), &OurRuntime::Backdrop);
}
void BM_Starfield_SdlKey(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(false), &SdlSide::Backdrop);
}
void BM_Starfield_SdlKeyRle(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(true), &SdlSide::Backdrop);
}
void BM_Rocks_Ours(benchmark::State& state) {
  MeasureOnClearedScreen(state, Ours(), &OurRuntime::Rocks);
}
void BM_Rocks_SdlKey(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(false), &SdlSide::Rocks);
}
void BM_Rocks_SdlKeyRle(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(true), &SdlSide::Rocks);
}
void BM_Popups_Ours(benchmark::State& state) {
  MeasureOnClearedScreen(state, Ours(), &OurRuntime::Popups);
}
void BM_Popups_SdlAlphaKey(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(false), &SdlSide::Popups);
}
void BM_Popups_PlainLoop(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(false), &SdlSide::PlainPopups);
}

void BM_Hud_Ours(benchmark::State& state) {
  MeasureOnClearedScreen(state, Ours(), &OurRuntime::Hud);
}
void BM_Hud_SdlFillAndGlyphBlits(benchmark::State& state) {
  MeasureOnClearedScreen(state, Sdl(false), &SdlSide::Hud);
}

void BM_Collide_Ours(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Collisions(Ours(), TheScene().rocks));
}
void BM_Collide_PixelScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Collisions(Sdl(false), TheScene().rocks));
}
void BM_CollideAllOverlapping_Ours(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Collisions(Ours(), TheScene().rocksOnCraft));
}
void BM_CollideAllOverlapping_PixelScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Collisions(Sdl(false), TheScene().rocksOnCraft));
}

// The frame in the game's order: clear, status bar, backdrop, craft, then each rock drawn and tested
// against the craft, then the pop-ups.
template <typename Side>
int FrameBeforePopups(Side& side) {
  const Scene& scene = TheScene();
  side.Clear();
  side.Hud(scene);
  side.Backdrop(scene);
  side.Craft(scene);
  int hits = 0;
  for (const Placed& at : scene.rocks) {
    side.Rock(at);
    hits += side.Collide(scene, at);
  }
  return hits;
}

template <typename Side>
void MeasureFrame(benchmark::State& state, Side& side) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(FrameBeforePopups(side));
    side.Popups(TheScene());
    benchmark::ClobberMemory();
  }
}
void BM_Frame_Ours(benchmark::State& state) {
  MeasureFrame(state, Ours());
}
void BM_Frame_SdlKey(benchmark::State& state) {
  MeasureFrame(state, Sdl(false));
}
void BM_Frame_SdlKeyRle(benchmark::State& state) {
  MeasureFrame(state, Sdl(true));
}

BENCHMARK(BM_Clear_Ours);
BENCHMARK(BM_Clear_SdlFillRect);
BENCHMARK(BM_Clear_Memset);
BENCHMARK(BM_Starfield_Ours);
BENCHMARK(BM_Starfield_SdlKey);
BENCHMARK(BM_Starfield_SdlKeyRle);
BENCHMARK(BM_Rocks_Ours);
BENCHMARK(BM_Rocks_SdlKey);
BENCHMARK(BM_Rocks_SdlKeyRle);
BENCHMARK(BM_Popups_Ours);
BENCHMARK(BM_Popups_SdlAlphaKey);
BENCHMARK(BM_Popups_PlainLoop);
BENCHMARK(BM_Hud_Ours);
BENCHMARK(BM_Hud_SdlFillAndGlyphBlits);
BENCHMARK(BM_Collide_Ours);
BENCHMARK(BM_Collide_PixelScan);
BENCHMARK(BM_CollideAllOverlapping_Ours);
BENCHMARK(BM_CollideAllOverlapping_PixelScan);
BENCHMARK(BM_Frame_Ours);
BENCHMARK(BM_Frame_SdlKey);
BENCHMARK(BM_Frame_SdlKeyRle);

}  // namespace

namespace {

// Every row must leave the same pixels on both sides, or the comparison means nothing. SDL's alpha
// blit rounds otherwise than our blend table, so inside the pop-ups its channels may be one step off;
// the plain loop's must be exact.
bool InPopup(int x, int y) {
  const Scene& scene = TheScene();
  for (const Placed& at : scene.popups) {
    if (x >= at.x && x < at.x + scene.popup.width && y >= at.y && y < at.y + scene.popup.height) return true;
  }
  return false;
}

bool WithinStep(std::uint32_t a, std::uint32_t b, int step) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > step)
      return false;
  }
  return true;
}

bool SameScreens(const char* row, const SDL_Surface* peer, int popupStep) {
  const rt::Surface& ours = Ours().Screen();
  for (int y = 0; y < kScreenHeight; ++y) {
    const auto* peerRow = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(peer->pixels) + static_cast<std::ptrdiff_t>(y) * peer->pitch);
    for (int x = 0; x < kScreenWidth; ++x) {
      const std::uint32_t mine = ours.RowAs<std::uint32_t>(y)[x], theirs = peerRow[x];
      if (mine == theirs || (InPopup(x, y) && WithinStep(mine, theirs, popupStep))) continue;
      std::fprintf(stderr, "%s: pixel (%d, %d) is %06X here, %06X on the peer\n", row, x, y, mine, theirs);
      return false;
    }
  }
  return true;
}

using OurRow = void (OurRuntime::*)(const Scene&);
using SdlRow = void (SdlSide::*)(const Scene&);

// A row drawn on a cleared screen on both sides.
bool RowAgrees(const char* row, SdlSide& sdl, OurRow ours, SdlRow peer, int popupStep) {
  Ours().Clear();
  (Ours().*ours)(TheScene());
  sdl.Clear();
  (sdl.*peer)(TheScene());
  return SameScreens(row, sdl.Screen(), popupStep);
}

bool FrameAgrees(const char* row, SdlSide& sdl, SdlRow popups, int popupStep) {
  FrameBeforePopups(Ours());
  Ours().Popups(TheScene());
  FrameBeforePopups(sdl);
  (sdl.*popups)(TheScene());
  return SameScreens(row, sdl.Screen(), popupStep);
}

bool SidesAgree() {
  for (const bool rle : {false, true}) {
    SdlSide& sdl = Sdl(rle);
    if (!RowAgrees("starfield", sdl, &OurRuntime::Backdrop, &SdlSide::Backdrop, 0) ||
        !RowAgrees("rocks", sdl, &OurRuntime::Rocks, &SdlSide::Rocks, 0) ||
        !RowAgrees("status bar", sdl, &OurRuntime::Hud, &SdlSide::Hud, 0) ||
        !RowAgrees("pop-ups", sdl, &OurRuntime::Popups, &SdlSide::Popups, 1) ||
        !RowAgrees("pop-ups, plain loop", sdl, &OurRuntime::Popups, &SdlSide::PlainPopups, 0) ||
        !FrameAgrees("frame", sdl, &SdlSide::Popups, 1) ||
        !FrameAgrees("frame, plain loop pop-ups", sdl, &SdlSide::PlainPopups, 0))
      return false;
  }
  const Scene& scene = TheScene();
  if (Collisions(Ours(), scene.rocks) != Collisions(Sdl(false), scene.rocks) ||
      Collisions(Ours(), scene.rocksOnCraft) != Collisions(Sdl(false), scene.rocksOnCraft)) {
    std::fprintf(stderr, "the collision tests disagree\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SidesAgree()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

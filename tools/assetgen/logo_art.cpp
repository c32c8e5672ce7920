#include "logo_art.h"

#include <array>
#include <cmath>
#include <vector>

#include "geometry.h"

namespace assetgen {

namespace {

constexpr float kLetterTop = 4.0f;
constexpr float kLetterHeight = 20.0f;
constexpr float kSlant = 0.2f;  // letters lean forwards
constexpr float kLetterGap = 3.0f;

// A rectangle with its corners cut at 45 degrees: top left, top right, bottom right, bottom left.
struct Bar {
  float left, top, right, bottom;
  std::array<float, 4> cuts{};
};

bool InsideBar(const Bar& bar, Vec2 p) {
  if (p.x < bar.left || p.x > bar.right || p.y < bar.top || p.y > bar.bottom) return false;
  const float dl = p.x - bar.left, dr = bar.right - p.x, dt = p.y - bar.top, db = bar.bottom - p.y;
  return dl + dt >= bar.cuts[0] && dr + dt >= bar.cuts[1] && dr + db >= bar.cuts[2] && dl + db >= bar.cuts[3];
}

struct Glyph {
  float width;
  std::vector<Bar> bars;        // in letter units: x from 0, y 0..20 top to bottom
  std::vector<Vec2> slanted{};  // one optional slanted stroke, as a polygon
};

// A squared, heavy face: strokes 4 units, outer corners cut.
Glyph GlyphFor(char letter) {
  switch (letter) {
    case 'P':
      return {16,
              {{0, 0, 4, 20, {2, 0, 0, 1}},
               {0, 0, 16, 4, {2, 3, 0, 0}},
               {12, 0, 16, 12, {0, 3, 3, 0}},
               {0, 8, 16, 12, {0, 0, 3, 0}}}};
    case 'E':
      return {14,
              {{0, 0, 4, 20, {2, 0, 0, 2}},
               {0, 0, 14, 4, {2, 1, 0, 0}},
               {0, 8, 11, 12, {0, 1, 1, 0}},
               {0, 16, 14, 20, {0, 0, 1, 2}}}};
    case 'L':
      return {14, {{0, 0, 4, 20, {1, 1, 0, 2}}, {0, 16, 14, 20, {0, 0, 1, 2}}}};
    case 'A':
      return {16,
              {{0, 0, 4, 20, {3, 0, 0, 1}},
               {12, 0, 16, 20, {0, 3, 1, 0}},
               {0, 0, 16, 4, {3, 3, 0, 0}},
               {0, 9, 16, 13, {0, 0, 0, 0}}}};
    case 'R':
      return {16,
              {{0, 0, 4, 20, {2, 0, 0, 1}},
               {0, 0, 16, 4, {2, 3, 0, 0}},
               {12, 0, 16, 11, {0, 3, 3, 0}},
               {0, 8, 14, 12, {0, 0, 2, 0}}},
              {{6.0f, 12.0f}, {10.5f, 12.0f}, {16.0f, 20.0f}, {11.5f, 20.0f}}};
    case 'I':
      return {4, {{0, 0, 4, 20, {1, 1, 1, 1}}}};
    case 'S':
      return {15,
              {{0, 0, 15, 4, {3, 1, 0, 0}},
               {0, 0, 4, 12, {3, 0, 0, 0}},
               {0, 8, 15, 12, {0, 0, 0, 0}},
               {11, 8, 15, 20, {0, 0, 3, 0}},
               {0, 16, 15, 20, {1, 0, 3, 0}}}};
    default:
      return {0, {}};
  }
}

constexpr char kName[] = "PELLARIS";

struct PlacedGlyph {
  float left;
  Glyph glyph;
};

std::vector<PlacedGlyph> LayOutName() {
  std::vector<PlacedGlyph> placed;
  float width = -kLetterGap;
  for (const char* c = kName; *c != '\0'; ++c) width += GlyphFor(*c).width + kLetterGap;
  // Centred, counting the lean of the letters' tops.
  float x = (static_cast<float>(kLogoWidth) - width - kSlant * kLetterHeight) / 2.0f;
  for (const char* c = kName; *c != '\0'; ++c) {
    placed.push_back({x, GlyphFor(*c)});
    x += placed.back().glyph.width + kLetterGap;
  }
  return placed;
}

bool InsideName(const std::vector<PlacedGlyph>& name, Vec2 p) {
  const float ly = p.y - kLetterTop;
  const float upright = p.x - kSlant * (kLetterHeight - ly);
  for (const PlacedGlyph& g : name) {
    const Vec2 local{upright - g.left, ly};
    if (local.x < -1.0f || local.x > g.glyph.width + 1.0f) continue;
    for (const Bar& bar : g.glyph.bars) {
      if (InsideBar(bar, local)) return true;
    }
    if (!g.glyph.slanted.empty() && InsidePolygon(g.glyph.slanted, local)) return true;
  }
  return false;
}

// Chrome: sky-blue above a dark horizon line, warm ground reflected below it.
Shade Chrome(float v) {
  struct Stop {
    float at;
    Shade shade;
  };
  const std::array<Stop, 7> stops{{{0.0f, {255, 255, 255}},
                                   {0.18f, {196, 214, 245}},
                                   {0.48f, {96, 118, 190}},
                                   {0.52f, {62, 62, 118}},
                                   {0.56f, {196, 140, 80}},
                                   {0.8f, {250, 214, 150}},
                                   {1.0f, {255, 246, 214}}}};
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (v <= stops[i].at) {
      return Mix(stops[i - 1].shade, stops[i].shade, (v - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    }
  }
  return stops.back().shade;
}

// Letters and wings share the chrome and a bevel: edges facing the light brighten, the others darken.
Shade Bevelled(Shade base, Vec2 p, const std::function<bool(Vec2)>& inside) {
  if (!inside(p + Vec2{-1.1f, -1.1f})) return Mix(base, Shade{255, 255, 255}, 0.55f);
  if (!inside(p + Vec2{1.1f, 1.1f})) return Mix(base, Shade{40, 40, 90}, 0.45f);
  return base;
}

// One feather of the left wing: a curved blade from the root out to a sharp upswept tip.
struct Feather {
  float centreY;
  float tipX;
  float rise;
};

constexpr float kWingRoot = 27.0f;
constexpr std::array<Feather, 4> kFeathers{
    {{9.5f, 1.0f, 7.0f}, {13.5f, 5.0f, 6.0f}, {17.5f, 9.5f, 5.0f}, {21.5f, 14.0f, 4.0f}}};

bool InsideFeather(const Feather& feather, Vec2 p) {
  if (p.x < feather.tipX || p.x > kWingRoot) return false;
  const float t = (kWingRoot - p.x) / (kWingRoot - feather.tipX);  // 0 at the root, 1 at the tip
  const float centre = feather.centreY - feather.rise * t * t;
  const float halfThickness = 1.9f * std::pow(1.0f - t, 0.55f);
  return std::abs(p.y - centre) <= halfThickness;
}

bool InsideLeftWing(Vec2 p) {
  // The shoulder that holds the feathers together next to the lettering.
  const Bar shoulder{kWingRoot - 4.0f, 6.0f, kWingRoot + 1.0f, 24.0f, {2, 2, 2, 2}};
  if (InsideBar(shoulder, p)) return true;
  for (const Feather& feather : kFeathers) {
    if (InsideFeather(feather, p)) return true;
  }
  return false;
}

// Both wings: the right one mirrors the left.
bool InsideWings(Vec2 p) {
  return InsideLeftWing(p) || InsideLeftWing({static_cast<float>(kLogoWidth) - p.x, p.y});
}

// Steel blue chrome along the feathers, brighter towards the lettering.
Shade WingPaint(Vec2 p) {
  const float fromEdge = std::min(p.x, static_cast<float>(kLogoWidth) - p.x);
  const float nearRoot = Clamp01(fromEdge / kWingRoot);
  const Shade steel = Mix(Shade{70, 96, 170}, Shade{205, 225, 255}, nearRoot);
  return Bevelled(steel, p, InsideWings);
}

}  // namespace

Picture DrawLogo() {
  const std::vector<PlacedGlyph> name = LayOutName();
  auto insideName = [name](Vec2 p) { return InsideName(name, p); };
  const Layer letters{[insideName](float x, float y) {
                        return insideName({x, y});
                      },
                      [insideName](float x, float y) {
                        return Bevelled(Chrome((y - kLetterTop) / kLetterHeight), {x, y}, insideName);
                      }};
  // A dark blue outline keeps the letters apart from whatever is behind them.
  const Layer outline{[insideName](float x, float y) {
                        for (int i = 0; i < 8; ++i) {
                          const Vec2 offset = Rotate({1.1f, 0.0f}, static_cast<float>(i) * kPi / 4.0f);
                          if (insideName(Vec2{x, y} + offset)) return true;
                        }
                        return false;
                      },
                      [](float, float) {
                        return Shade{42, 48, 120};
                      }};
  const Layer wings{[](float x, float y) {
                      return InsideWings({x, y});
                    },
                    [](float x, float y) {
                      return WingPaint({x, y});
                    }};
  return Render(kLogoWidth, kLogoHeight, {wings, outline, letters}, kBlack, {4, 0.5f});
}

}  // namespace assetgen

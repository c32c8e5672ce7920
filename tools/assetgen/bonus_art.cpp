#include "bonus_art.h"

#include <cmath>
#include <string>
#include <vector>

#include "geometry.h"

namespace assetgen {

namespace {

Shade Constant(Shade shade, float, float) {
  return shade;
}

std::function<Shade(float, float)> Flat(Shade shade) {
  return [shade](float x, float y) { return Constant(shade, x, y); };
}

// Brass lit as a ball around `centre`: dark bronze to pale gold.
Shade Brass(Vec2 p, Vec2 centre, float radius) {
  const Vec2 offset = (p - centre) * (1.0f / radius);
  const float d2 = std::min(offset.x * offset.x + offset.y * offset.y, 0.999f);
  const float light = Lighting(offset.x, offset.y, std::sqrt(1.0f - d2));
  const Shade dark{120, 78, 24}, mid{214, 164, 58}, bright{255, 238, 160};
  return light < 0.6f ? Mix(dark, mid, light / 0.6f) : Mix(mid, bright, (light - 0.6f) / 0.4f);
}

std::vector<Vec2> Octagon(float left, float top, float right, float bottom, float cut) {
  return {{left + cut, top},     {right - cut, top},   {right, top + cut},   {right, bottom - cut},
          {right - cut, bottom}, {left + cut, bottom}, {left, bottom - cut}, {left, top + cut}};
}

// The same octagon moved inwards by `inset` on every side (45-degree corners).
std::vector<Vec2> InsetOctagon(float left, float top, float right, float bottom, float cut, float inset) {
  return Octagon(left + inset, top + inset, right - inset, bottom - inset,
                 cut - inset * (2.0f - std::sqrt(2.0f)));
}

}  // namespace

Picture DrawFifty() {
  // clang-format off
  const std::vector<std::string> five{"#####",
                                      "##...",
                                      "####.",
                                      "...##",
                                      "...##",
                                      "####."};
  const std::vector<std::string> zero{".###.",
                                      "##.##",
                                      "##.##",
                                      "##.##",
                                      "##.##",
                                      ".###."};
  // clang-format on
  const Shade white{255, 255, 255};
  const Shade shadow{70, 70, 70};
  const std::vector<Layer> layers{PixelArt(five, 3, 2, Flat(shadow)), PixelArt(zero, 10, 2, Flat(shadow)),
                                  PixelArt(five, 2, 1, Flat(white)), PixelArt(zero, 9, 1, Flat(white))};
  return Render(16, 8, layers, kPopupGround);
}

Picture DrawStopwatch() {
  const Vec2 centre{8.5f, 8.6f};
  const float caseRadius = 6.35f;
  const float faceRadius = 4.5f;
  auto brass = [centre](float x, float y) { return Brass({x, y}, centre, 7.0f); };
  const Layer crown{[](float x, float y) {
                      return (x >= 7.0f && x <= 10.0f && y >= 1.2f && y <= 3.0f) ||
                             (x >= 6.2f && x <= 10.8f && y >= 0.0f && y <= 1.6f);
                    },
                    [](float x, float) {
                      return Mix(Shade{255, 230, 150}, Shade{150, 100, 34}, Clamp01((x - 6.2f) / 4.6f));
                    }};
  const Layer button{[](float x, float y) {
                       return SegmentDistance({x, y}, {12.6f, 4.4f}, {14.4f, 2.6f}) <= 0.9f;
                     },
                     [](float, float) {
                       return Shade{200, 150, 55};
                     }};
  const Layer body{[centre, caseRadius](float x, float y) {
                     return Length(Vec2{x, y} - centre) <= caseRadius;
                   },
                   brass};
  const Layer face{[centre, faceRadius](float x, float y) {
                     return Length(Vec2{x, y} - centre) <= faceRadius;
                   },
                   [centre](float x, float y) {
                     const float shadow = Clamp01((Length(Vec2{x, y} - centre - Vec2{-1.0f, -1.0f})) / 5.5f);
                     return Mix(Shade{252, 248, 232}, Shade{200, 190, 165}, shadow);
                   }};
  std::vector<Layer> layers{crown, button, body, face};
  for (int mark = 0; mark < 4; ++mark) {
    const Vec2 direction = Rotate({0.0f, -1.0f}, static_cast<float>(mark) * kPi / 2.0f);
    const Vec2 a = centre + direction * 3.2f;
    const Vec2 b = centre + direction * 4.4f;
    layers.push_back({[a, b](float x, float y) {
                        return SegmentDistance({x, y}, a, b) <= 0.45f;
                      },
                      Flat({90, 70, 50})});
  }
  const Vec2 minuteTip = centre + Vec2{0.0f, -3.6f};
  const Vec2 secondTip = centre + Rotate({0.0f, -3.4f}, kPi * 0.62f);
  layers.push_back({[centre, minuteTip](float x, float y) {
                      return SegmentDistance({x, y}, centre, minuteTip) <= 0.5f;
                    },
                    Flat({60, 55, 70})});
  layers.push_back({[centre, secondTip](float x, float y) {
                      return SegmentDistance({x, y}, centre, secondTip) <= 0.42f;
                    },
                    Flat({215, 35, 30})});
  layers.push_back({[centre](float x, float y) {
                      return Length(Vec2{x, y} - centre) <= 0.75f;
                    },
                    Flat({120, 40, 30})});
  return Render(17, 15, layers, kBlack);
}

Picture DrawSkull() {
  const Vec2 crown{9.0f, 8.0f};
  // Bone lit from the top left, greying towards the lower right.
  auto bone = [crown](float x, float y) {
    const Vec2 offset = (Vec2{x, y} - crown) * (1.0f / 9.0f);
    const float d2 = std::min(offset.x * offset.x + offset.y * offset.y, 0.999f);
    const float light = Lighting(offset.x, offset.y, std::sqrt(1.0f - d2));
    return Mix(Shade{150, 142, 128}, Shade{252, 249, 236}, Clamp01(light * 1.25f));
  };
  const Layer cranium{[](float x, float y) { return InsideEllipse({x, y}, {9.0f, 7.8f}, 7.9f, 7.5f); }, bone};
  const std::vector<Vec2> cheeks{{3.0f, 11.0f}, {15.0f, 11.0f}, {13.4f, 16.2f}, {4.6f, 16.2f}};
  const Layer face{[cheeks](float x, float y) { return InsidePolygon(cheeks, {x, y}); }, bone};
  const Layer jaw{[](float x, float y) { return x >= 5.0f && x <= 13.0f && y >= 15.0f && y <= 19.8f; },
                  [bone](float x, float y) {
                    // Teeth: gaps between them and between the two rows.
                    const bool gap = std::abs(y - 17.5f) < 0.45f ||
                                     (y > 15.6f && (std::abs(x - 7.5f) < 0.5f || std::abs(x - 10.5f) < 0.5f));
                    return gap ? Shade{96, 84, 80} : bone(x, y);
                  }};
  auto socket = [](Vec2 centre) {
    return Layer{[centre](float x, float y) {
                   return InsideEllipse({x, y}, centre, 2.4f, 2.6f);
                 },
                 [centre](float x, float y) {
                   const float glow = Clamp01(1.0f - Length(Vec2{x, y} - centre - Vec2{0.0f, 0.4f}) / 1.3f);
                   return Mix(Shade{58, 42, 64}, Shade{230, 40, 30}, glow);
                 }};
  };
  const std::vector<Vec2> nose{{9.0f, 12.2f}, {10.2f, 14.8f}, {7.8f, 14.8f}};
  const Layer noseHole{[nose](float x, float y) { return InsidePolygon(nose, {x, y}); }, Flat({70, 56, 66})};
  return Render(18, 20, {cranium, face, jaw, socket({5.8f, 10.4f}), socket({12.2f, 10.4f}), noseHole},
                kBlack);
}

Picture DrawStopSign() {
  const float left = 0.0f, top = 0.0f, right = 20.0f, bottom = 14.0f, cut = 4.2f;
  const std::vector<Vec2> outer = Octagon(left, top, right, bottom, cut);
  const std::vector<Vec2> inner = InsetOctagon(left, top, right, bottom, cut, 1.0f);
  const Layer rim{[outer](float x, float y) {
                    return InsidePolygon(outer, {x, y});
                  },
                  [](float, float y) {
                    return Mix(Shade{255, 255, 255}, Shade{190, 190, 200}, y / 14.0f);
                  }};
  const Layer plate{
      [inner](float x, float y) {
        return InsidePolygon(inner, {x, y});
      },
      [](float x, float y) {
        const Shade red = Mix(Shade{235, 45, 40}, Shade{160, 18, 24}, Clamp01((y - 1.0f) / 12.0f));
        // A soft gloss across the upper left.
        const float gloss = Clamp01(1.0f - Length(Vec2{(x - 6.0f) / 6.0f, (y - 3.0f) / 2.2f}));
        return Mix(red, Shade{255, 120, 110}, 0.5f * gloss);
      }};
  // clang-format off
  const std::vector<std::string> stop{"###.###.###.###",
                                      "#....#..#.#.#.#",
                                      "###..#..#.#.###",
                                      "..#..#..#.#.#..",
                                      "###..#..###.#.."};
  // clang-format on
  return Render(20, 14, {rim, plate, PixelArt(stop, 3, 5, Flat({255, 255, 255}))}, kBlack);
}

}  // namespace assetgen

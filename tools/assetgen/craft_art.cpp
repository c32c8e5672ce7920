#include "craft_art.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry.h"

namespace assetgen {

namespace {

// y of a polyline (points in ascending x) at x, holding the end values outside it.
float ChainY(const std::vector<Vec2>& chain, float x) {
  if (x <= chain.front().x) return chain.front().y;
  for (std::size_t i = 1; i < chain.size(); ++i) {
    if (x <= chain[i].x) {
      const float t = (x - chain[i - 1].x) / (chain[i].x - chain[i - 1].x);
      return chain[i - 1].y + (chain[i].y - chain[i - 1].y) * t;
    }
  }
  return chain.back().y;
}

// The fuselage between its upper and lower outline, from the jet pipe to the nose tip.
const std::vector<Vec2> kUpper{{0.6f, 9.4f},  {9.0f, 8.6f},   {15.0f, 8.3f},
                               {21.5f, 8.8f}, {25.0f, 10.2f}, {28.9f, 12.4f}};
const std::vector<Vec2> kLower{{0.6f, 14.2f},  {6.0f, 14.8f},  {13.0f, 15.2f},
                               {20.0f, 14.6f}, {25.0f, 13.6f}, {28.9f, 12.6f}};

Shade Grey(float level, float blueTint = 10.0f) {
  return {level, level + blueTint * 0.4f, level + blueTint};
}

// A polished grey cylinder: bright band just above the middle, darker belly.
Shade FuselagePaint(float x, float y) {
  const float top = ChainY(kUpper, x);
  const float bottom = ChainY(kLower, x);
  const float u = Clamp01((y - top) / std::max(bottom - top, 0.5f));
  float level = 0;
  if (u < 0.22f) {
    level = 185.0f + 60.0f * (u / 0.22f);
  } else {
    level = 245.0f - 150.0f * SmoothStep(0.22f, 1.0f, u);
  }
  // Panel seams just behind the cockpit and in front of the tail.
  for (float seam : {11.0f, 23.5f}) {
    if (std::abs(x - seam) < 0.3f) level *= 0.82f;
  }
  // The radome at the nose is painted a darker grey.
  if (x > 25.8f) level *= 0.72f;
  return Grey(level);
}

Layer Fuselage() {
  return {[](float x, float y) {
            return x >= 0.6f && x <= 28.9f && y >= ChainY(kUpper, x) && y <= ChainY(kLower, x);
          },
          FuselagePaint};
}

// The fin: red-tipped, a bright leading edge and a shadow where it meets the fuselage.
Layer TailFin() {
  const std::vector<Vec2> fin{{1.2f, 9.6f}, {4.2f, 1.0f}, {7.8f, 1.0f}, {11.8f, 9.2f}};
  return {[fin](float x, float y) {
            return InsidePolygon(fin, {x, y});
          },
          [](float x, float y) {
            if (y < 2.6f) return Shade{210, 48, 42};  // the squadron's red tip
            if (SegmentDistance({x, y}, {7.8f, 1.0f}, {11.8f, 9.2f}) < 0.9f) return Grey(228.0f);
            return Grey(150.0f + 5.0f * (x - 0.8f * y) - 2.0f * (y - 2.6f));
          }};
}

Layer TailPlane() {
  const std::vector<Vec2> plane{{0.6f, 12.6f}, {7.4f, 12.6f}, {4.2f, 16.0f}, {0.6f, 16.0f}};
  return {[plane](float x, float y) {
            return InsidePolygon(plane, {x, y});
          },
          [](float, float y) { return Grey(150.0f - 12.0f * (y - 12.6f)); }};
}

// The swept wing on the far side, seen edge-on from slightly below: dark, with a lit leading edge.
Layer Wing() {
  const std::vector<Vec2> wing{{8.0f, 13.8f}, {19.5f, 13.8f}, {12.5f, 17.6f}, {7.0f, 17.6f}};
  return {[wing](float x, float y) {
            return InsidePolygon(wing, {x, y});
          },
          [](float x, float y) {
            if (SegmentDistance({x, y}, {19.5f, 13.8f}, {12.5f, 17.6f}) < 0.8f) return Grey(205.0f);
            return Grey(150.0f - 10.0f * (y - 13.8f));
          }};
}

// A missile under the wing on a short pylon: white body, red seeker head, small tail fins.
Layer Missile() {
  const std::vector<Vec2> upperFin{{7.4f, 17.3f}, {9.6f, 18.3f}, {7.4f, 18.3f}};
  const std::vector<Vec2> lowerFin{{7.4f, 19.3f}, {9.6f, 19.3f}, {7.4f, 20.3f}};
  return {[upperFin, lowerFin](float x, float y) {
            const bool body = SegmentDistance({x, y}, {8.4f, 18.8f}, {17.6f, 18.8f}) <= 1.0f;
            const bool pylon = x >= 11.0f && x <= 13.5f && y >= 17.0f && y <= 18.0f;
            return body || pylon || InsidePolygon(upperFin, {x, y}) || InsidePolygon(lowerFin, {x, y});
          },
          [](float x, float y) {
            if (x > 16.4f) return Shade{220, 55, 45};
            if (y < 17.9f) return Grey(120.0f);
            const float level = 238.0f - 40.0f * std::abs(y - 18.5f);
            return Shade{level, level, level - 8.0f};
          }};
}

Layer Intake() {
  const std::vector<Vec2> intake{{11.6f, 11.4f}, {16.4f, 11.2f}, {16.4f, 13.9f}, {12.4f, 14.0f}};
  return {[intake](float x, float y) {
            return InsidePolygon(intake, {x, y});
          },
          [](float x, float) { return Grey(x > 15.6f ? 150.0f : 72.0f, 8.0f); }};
}

Layer Canopy() {
  return {[](float x, float y) {
            return InsideEllipse({x, y}, {18.6f, 9.0f}, 4.8f, 2.9f);
          },
          [](float x, float y) {
            // Tinted glass, darker towards the back, with a bright reflection near the front.
            const float glint = std::max(0.0f, 1.0f - Length(Vec2{(x - 20.2f) / 1.6f, (y - 7.3f) / 0.7f}));
            const Shade glass = Mix(Shade{40, 105, 150}, Shade{70, 160, 205}, Clamp01((x - 14.0f) / 9.0f));
            return Mix(glass, Shade{225, 245, 255}, glint);
          }};
}

// The jet pipe with a faint glow deep inside.
Layer Nozzle() {
  return {[](float x, float y) { return x >= 0.0f && x <= 2.2f && y >= 9.8f && y <= 13.8f; },
          [](float x, float y) {
            if (x < 1.0f && y > 10.8f && y < 12.8f) return Shade{255, 150, 60};
            return Grey(110.0f, 6.0f);
          }};
}

}  // namespace

Picture DrawCraft() {
  const std::vector<Layer> layers{Missile(),  Wing(),   TailPlane(), Canopy(),
                                  Fuselage(), Intake(), TailFin(),   Nozzle()};
  return Render(kCraftWidth, kCraftHeight, layers, kBlack);
}

}  // namespace assetgen

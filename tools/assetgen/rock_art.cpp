#include "rock_art.h"

#include <cmath>
#include <vector>

#include "geometry.h"

namespace assetgen {

namespace {

// The rock's centre sits at the same place in every frame (frames are drawn at the same corner), and
// its outline stays inside the narrowest frame.
constexpr Vec2 kCentre{8.5f, 9.5f};
constexpr float kRadius = 7.4f;
constexpr float kStepAngle = 2.0f * kPi / 9.0f;  // the game cycles through nine of the steps

struct Crater {
  Vec2 centre;  // in the rock's own frame
  float radius;
};

const std::vector<Crater> kCraters{{{-2.6f, -2.4f}, 2.1f}, {{2.8f, 1.2f}, 2.4f},  {{-1.8f, 3.6f}, 1.5f},
                                   {{3.0f, -3.8f}, 1.3f},  {{-4.6f, 0.8f}, 1.1f}, {{0.6f, -0.2f}, 0.9f}};

// Outline radius in a direction of the rock's own frame: lumpy, never round.
float OutlineRadius(float angle) {
  const float turns = angle / (2.0f * kPi);
  const float lumps =
      (PeriodicNoise(turns, 7, 11) - 0.5f) * 0.2f + (PeriodicNoise(turns, 13, 12) - 0.5f) * 0.08f;
  return kRadius * (1.0f + lumps);
}

Vec2 ToRockFrame(Vec2 p, float angle) {
  return Rotate(p - kCentre, -angle);
}

bool InsideRock(Vec2 p, float angle) {
  const Vec2 local = ToRockFrame(p, angle);
  return Length(local) <= OutlineRadius(std::atan2(local.y, local.x));
}

// Lit as a lumpy ball whose craters turn with it while the light stays put.
Shade RockPaint(Vec2 p, float angle) {
  const Vec2 offset = p - kCentre;
  const Vec2 local = ToRockFrame(p, angle);
  const float edge = OutlineRadius(std::atan2(local.y, local.x));
  const float d = std::min(Length(offset) / edge, 0.999f);
  float nx = offset.x / edge, ny = offset.y / edge;
  float nz = std::sqrt(1.0f - d * d);
  float albedo = 0.85f + 0.3f * ValueNoise(local.x * 0.9f + 20.0f, local.y * 0.9f + 20.0f, 5);
  for (const Crater& crater : kCraters) {
    const Vec2 inCrater = (local - crater.centre) * (1.0f / crater.radius);
    const float s = Length(inCrater);
    if (s >= 1.15f) continue;
    // The bowl faces its own centre; the rim just outside it bulges outwards.
    const float tilt = s < 1.0f ? -1.3f * s : 0.8f * (1.15f - s) / 0.15f;
    const Vec2 slope = Rotate(inCrater, angle) * (s > 0.0f ? tilt / s : 0.0f);
    nx += slope.x;
    ny += slope.y;
    if (s < 1.0f) albedo *= 0.74f;
  }
  const float light = 0.32f + 0.95f * Lighting(nx, ny, nz);
  const Shade brown{150, 102, 62};
  return brown * (albedo * light);
}

}  // namespace

Picture DrawRock(int step, int width, int height) {
  const float angle = kStepAngle * static_cast<float>(step);
  const Layer rock{[angle](float x, float y) {
                     return InsideRock({x, y}, angle);
                   },
                   [angle](float x, float y) {
                     return RockPaint({x, y}, angle);
                   }};
  return Render(width, height, {rock}, kBlack);
}

}  // namespace assetgen

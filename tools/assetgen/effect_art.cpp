#include "effect_art.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "geometry.h"

namespace assetgen {

namespace {

constexpr Vec2 kBurstCentre{17.0f, 17.0f};
constexpr int kSpikes = 13;

struct BurstStep {
  float innerRadius;  // the solid body
  float outerRadius;  // the longest spike
  float heat;         // 1 is white-hot at the centre
  float holes;        // share of the body torn open, 0..1
  float hollow;       // radius of the burnt-out middle
};

constexpr std::array<BurstStep, kBurstSteps> kBurst{{{4.5f, 10.0f, 1.15f, 0.0f, 0.0f},
                                                     {7.5f, 13.5f, 1.0f, 0.08f, 0.0f},
                                                     {10.0f, 16.0f, 0.75f, 0.3f, 4.0f},
                                                     {11.5f, 16.9f, 0.72f, 0.4f, 7.0f}}};

// Spike lengths, the same in every step so the burst grows rather than changes shape.
float SpikeLength(int spike) {
  Rng rng(1000u + static_cast<unsigned>(spike));
  return rng.Uniform(0.55f, 1.0f);
}

// Radius of the burst's outline in a direction: the body plus a sharp spike every 1/kSpikes turn.
float BurstRadius(float angle, const BurstStep& step) {
  const float turns = angle / (2.0f * kPi) + 0.5f;
  const float position = turns * kSpikes;
  const int spike = static_cast<int>(std::floor(position)) % kSpikes;
  const float t = position - std::floor(position);
  const float peak = std::pow(1.0f - std::abs(2.0f * t - 1.0f), 2.2f);
  return step.innerRadius + (step.outerRadius - step.innerRadius) * peak * SpikeLength(spike);
}

// Fire colours from dull red through orange and yellow to white.
Shade FireRamp(float heat) {
  const std::array<Shade, 5> ramp{
      {{165, 36, 18}, {220, 50, 22}, {255, 130, 30}, {255, 225, 100}, {255, 252, 225}}};
  const float position = Clamp01(heat) * static_cast<float>(ramp.size() - 1);
  const int i = std::min(static_cast<int>(position), static_cast<int>(ramp.size()) - 2);
  return Mix(ramp[static_cast<std::size_t>(i)], ramp[static_cast<std::size_t>(i) + 1],
             position - static_cast<float>(i));
}

bool InsideBurst(Vec2 p, const BurstStep& step) {
  const Vec2 offset = p - kBurstCentre;
  const float d = Length(offset);
  const float hollow = step.hollow * (0.55f + 0.9f * ValueNoise(p.x * 0.5f, p.y * 0.5f, 91));
  if (d > BurstRadius(std::atan2(offset.y, offset.x), step) || d < hollow) return false;
  return ValueNoise(p.x * 0.42f, p.y * 0.42f, 77) >= step.holes;
}

Shade BurstPaint(Vec2 p, const BurstStep& step) {
  const Vec2 offset = p - kBurstCentre;
  const float s = Length(offset) / BurstRadius(std::atan2(offset.y, offset.x), step);
  const float flicker = (ValueNoise(p.x * 0.6f, p.y * 0.6f, 31) - 0.5f) * 0.25f;
  return FireRamp((1.0f - s) * step.heat + flicker);
}

// The ground spark, pixel by pixel: a flash where the craft meets the ground line (row 4), then
// sparks thrown up and out that fall back and cool. W white-hot, C cyan, B blue, D deep blue.
using SparkFrame = std::array<const char*, kSparkHeight>;
// clang-format off
constexpr std::array<SparkFrame, kSparkSteps> kSparkFrames{{
    {"...............",
     ".......B.......",
     "......CWC......",
     "...BCCWWWCCB...",
     ".BCCWWWWWWWCCB.",
     "......CCC......"},
    {"..B.........B..",
     "...C...C...C...",
     "....C.CWC.C....",
     "......WWW......",
     "..BBCCWWWCCBB..",
     "..............."},
    {"B.............B",
     ".C..B.....B..C.",
     "..C...C.C...C..",
     "......CWC......",
     ".D.BB.CCC.BB.D.",
     "..............."},
    {"...............",
     "D.............D",
     ".B...D...D...B.",
     "..B....C....B..",
     ".....DBCBD.....",
     "D.............D"},
}};
// clang-format on

Shade SparkColour(char code) {
  switch (code) {
    case 'W':
      return {232, 246, 255};
    case 'C':
      return {130, 205, 255};
    case 'B':
      return {70, 135, 255};
    default:
      return {48, 82, 220};
  }
}

}  // namespace

Picture DrawBurst(int step) {
  const BurstStep& parameters = kBurst[static_cast<std::size_t>(step)];
  const Layer burst{[parameters](float x, float y) {
                      return InsideBurst({x, y}, parameters);
                    },
                    [parameters](float x, float y) {
                      return BurstPaint({x, y}, parameters);
                    }};
  return Render(kBurstSize, kBurstSize, {burst}, kBlack);
}

Picture DrawSpark(int step) {
  const SparkFrame& frame = kSparkFrames[static_cast<std::size_t>(step)];
  std::vector<Layer> layers;
  for (char code : {'W', 'C', 'B', 'D'}) {
    std::vector<std::string> cells;
    for (const char* row : frame) {
      std::string line(row);
      for (char& c : line) c = c == code ? '#' : '.';
      cells.push_back(line);
    }
    const Shade colour = SparkColour(code);
    layers.push_back(PixelArt(cells, 0, 0, [colour](float, float) { return colour; }));
  }
  return Render(kSparkWidth, kSparkHeight, layers, kBlack);
}

}  // namespace assetgen

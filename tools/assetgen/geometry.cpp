#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Vec2 operator+(Vec2 a, Vec2 b) {
  return {a.x + b.x, a.y + b.y};
}
Vec2 operator-(Vec2 a, Vec2 b) {
  return {a.x - b.x, a.y - b.y};
}
Vec2 operator*(Vec2 a, float k) {
  return {a.x * k, a.y * k};
}
float Length(Vec2 v) {
  return std::sqrt(v.x * v.x + v.y * v.y);
}

Vec2 Rotate(Vec2 v, float radians) {
  const float c = std::cos(radians);
  const float s = std::sin(radians);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

float SmoothStep(float edge0, float edge1, float v) {
  const float t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

bool InsidePolygon(const std::vector<Vec2>& polygon, Vec2 p) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Vec2 a = polygon[i];
    const Vec2 b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

float SegmentDistance(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 ab = b - a;
  const Vec2 ap = p - a;
  const float t = Clamp01((ap.x * ab.x + ap.y * ab.y) / (ab.x * ab.x + ab.y * ab.y));
  return Length(ap - ab * t);
}

bool InsideEllipse(Vec2 p, Vec2 centre, float rx, float ry) {
  const float dx = (p.x - centre.x) / rx;
  const float dy = (p.y - centre.y) / ry;
  return dx * dx + dy * dy <= 1.0f;
}

float Lighting(float nx, float ny, float nz) {
  constexpr float kLx = -0.55f, kLy = -0.65f, kLz = 0.52f;
  const float lightLength = std::sqrt(kLx * kLx + kLy * kLy + kLz * kLz);
  const float normalLength = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (normalLength == 0.0f) return 0.0f;
  return std::max(0.0f, (nx * kLx + ny * kLy + nz * kLz) / (normalLength * lightLength));
}

std::uint64_t Rng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float Rng::Uniform(float low, float high) {
  const float unit = static_cast<float>(Next() >> 40) / static_cast<float>(1ull << 24);
  return low + (high - low) * unit;
}

namespace {

float LatticeValue(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFFu) / static_cast<float>(0xFFFFFF);
}

float Fade(float t) {
  return t * t * (3.0f - 2.0f * t);
}

}  // namespace

float ValueNoise(float x, float y, std::uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const float tx = Fade(x - fx);
  const float ty = Fade(y - fy);
  const float top = LatticeValue(ix, iy, seed) * (1 - tx) + LatticeValue(ix + 1, iy, seed) * tx;
  const float bottom = LatticeValue(ix, iy + 1, seed) * (1 - tx) + LatticeValue(ix + 1, iy + 1, seed) * tx;
  return top * (1 - ty) + bottom * ty;
}

float PeriodicNoise(float turns, int period, std::uint32_t seed) {
  const float position = (turns - std::floor(turns)) * static_cast<float>(period);
  const int i = static_cast<int>(std::floor(position));
  const float t = Fade(position - static_cast<float>(i));
  const float a = LatticeValue(i % period, 0, seed);
  const float b = LatticeValue((i + 1) % period, 0, seed);
  return a * (1 - t) + b * t;
}

}  // namespace assetgen

// Small 2D helpers for drawing shapes by formula: points, polygons, distances, a seeded random
// source and smooth noise. Everything is deterministic so the committed files can be regenerated
// byte for byte.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

struct Vec2 {
  float x = 0, y = 0;
};

Vec2 operator+(Vec2 a, Vec2 b);
Vec2 operator-(Vec2 a, Vec2 b);
Vec2 operator*(Vec2 a, float k);
float Length(Vec2 v);
Vec2 Rotate(Vec2 v, float radians);

inline constexpr float kPi = 3.14159265358979f;

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

// Even-odd rule, so a polygon may be given in either winding.
bool InsidePolygon(const std::vector<Vec2>& polygon, Vec2 p);
// Distance from p to the segment a-b.
float SegmentDistance(Vec2 p, Vec2 a, Vec2 b);
bool InsideEllipse(Vec2 p, Vec2 centre, float rx, float ry);

// Diffuse light on a surface with normal (nx, ny, nz), z towards the viewer, from the fixed light
// at the top left in front of the picture: 0 facing away, 1 facing the light.
float Lighting(float nx, float ny, float nz);

// SplitMix64: a tiny, well-mixed generator with a fixed sequence for a given seed.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  float Uniform(float low, float high);

 private:
  std::uint64_t state_;
};

// Smooth value noise in 0..1 on a lattice of unit spacing; the seed picks the field.
float ValueNoise(float x, float y, std::uint32_t seed);
// Smooth noise in 0..1 around a circle: `period` lattice points per turn, so it wraps seamlessly.
float PeriodicNoise(float turns, int period, std::uint32_t seed);

}  // namespace assetgen

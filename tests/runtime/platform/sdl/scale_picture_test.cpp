// The window-surface path's scaler: every output pixel is the source pixel under its centre, at 1:1,
// whole-number scales, stretches and clipped targets alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/platform/sdl/sdl_presenter.h"

namespace rt::platform {
namespace {

struct Scaling {
  const char* name;
  Rect target;
  int outWidth, outHeight;
};

class ScalePictureTest : public ::testing::TestWithParam<Scaling> {};

TEST_P(ScalePictureTest, TakesTheSourcePixelUnderEachOutputPixelsCentre) {
  constexpr int kWidth = 7, kHeight = 5, kPitch = 9;  // rows padded, as a back buffer's are
  std::vector<std::uint32_t> source(kPitch * kHeight, 0xDEADBEEF);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) source[y * kPitch + x] = static_cast<std::uint32_t>(y * 100 + x + 1);
  }
  const Scaling& s = GetParam();
  std::vector<std::uint32_t> out(static_cast<std::size_t>(s.outWidth) * s.outHeight, 0);
  ScalePicture(source.data(), kWidth, kHeight, kPitch * 4, s.target,
               reinterpret_cast<std::uint8_t*>(out.data()), s.outWidth, s.outHeight, s.outWidth * 4);
  for (int y = 0; y < s.outHeight; ++y) {
    for (int x = 0; x < s.outWidth; ++x) {
      const bool inside = x >= s.target.x && x < s.target.x + s.target.width && y >= s.target.y &&
                          y < s.target.y + s.target.height;
      std::uint32_t expected = 0;
      if (inside) {
        const double u = (x - s.target.x + 0.5) * kWidth / s.target.width;
        const double v = (y - s.target.y + 0.5) * kHeight / s.target.height;
        expected = source[static_cast<int>(v) * kPitch + static_cast<int>(u)];
      }
      ASSERT_EQ(out[static_cast<std::size_t>(y) * s.outWidth + x], expected) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scalings, ScalePictureTest,
                         ::testing::Values(Scaling{"OneToOne", {2, 1, 7, 5}, 11, 8},
                                           Scaling{"Double", {0, 0, 14, 10}, 14, 10},
                                           Scaling{"Triple", {3, 2, 21, 15}, 27, 19},
                                           Scaling{"Stretch", {1, 0, 17, 9}, 19, 9},
                                           Scaling{"Shrink", {0, 0, 4, 3}, 4, 3},
                                           Scaling{"ClippedAllRound", {-5, -3, 21, 15}, 12, 9}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace rt::platform

// A headless machine with the sprite system started, and a screen of a given depth for parametrised
// tests. Shared by the sprite store and image loading tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/display/screen.h"
#include "runtime/display/surface.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sprites/sprite.h"
#include "tests/support/pixels.h"

namespace rt::test {

// Starts the sprite system on a fresh headless machine; everything started is ended on destruction.
class HeadlessSpriteSystem {
 public:
  HeadlessSpriteSystem() { started_ = InitSpriteSystem(); }
  ~HeadlessSpriteSystem() { EndRuntime(); }
  HeadlessSpriteSystem(const HeadlessSpriteSystem&) = delete;
  HeadlessSpriteSystem& operator=(const HeadlessSpriteSystem&) = delete;

  bool Started() const { return started_ != 0; }
  platform::HeadlessPlatform& Machine() { return machine_; }

 private:
  platform::InstalledHeadless machine_;  // constructed first, destroyed last
  int started_ = 0;
};

// A 64 x 48 screen of the parameter's depth.
class ScreenTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(system_.Started());
    ASSERT_EQ(OpenScreen(64, 48, GetParam(), "test"), 1);
    ASSERT_EQ(ScreenDepth(), GetParam());
  }
  platform::HeadlessPlatform& Machine() { return system_.Machine(); }

 private:
  HeadlessSpriteSystem system_;
};

}  // namespace rt::test

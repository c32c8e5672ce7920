// A headless machine with the sprite system started and a screen of a given depth, for parametrised
// tests. Shared by the sprite store and image loading tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/display/screen.h"
#include "runtime/display/surface.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/sprites/sprite.h"
#include "tests/support/headless_runtime.h"
#include "tests/support/pixels.h"

namespace rt::test {

// A 64 x 48 screen of the parameter's depth.
class ScreenTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine_.Start({RuntimePart::SpriteSystem}));
    ASSERT_EQ(OpenScreen(64, 48, GetParam(), "test"), 1);
    ASSERT_EQ(ScreenDepth(), GetParam());
  }
  platform::HeadlessPlatform& Machine() { return machine_; }

 private:
  HeadlessRuntime machine_;
};

}  // namespace rt::test

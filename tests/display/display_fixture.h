// A display on the fake platform, started like the runtime starts it and ended after every test.
#pragma once

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"

namespace rt::testing {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Install(&fake);
    StartWindowLibrary();
    ASSERT_EQ(InitDisplay(), 1);
  }
  void TearDown() override {
    EndWindowLibrary();
    EndDisplay();
    SetCloseScreenHook(nullptr);
    SetDeactivationHook(nullptr);
    platform::Install(nullptr);
  }

  platform::WindowId OpenFullScreen(int depth = 32) {
    EXPECT_EQ(OpenScreen(640, 400, depth, "Pellaris"), 1);
    return DisplayWindow();
  }

  FakePlatform fake;
};

}  // namespace rt::testing

// A display on the test machine, started like the runtime starts it and ended after every test.
#pragma once

#include <gtest/gtest.h>

#include "runtime/core/runtime_state.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "tests/runtime/display/test_machine.h"

namespace rt::test {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowLibrary();
    ASSERT_EQ(InitDisplay(), 1);
  }
  void TearDown() override {
    EndWindowLibrary();
    EndDisplay();
    ResetRuntimeState();
  }

  platform::WindowId OpenFullScreen(int depth = 32) {
    EXPECT_EQ(OpenScreen(640, 400, depth, "Pellaris"), 1);
    return DisplayWindow();
  }

  TestMachine machine;
};

}  // namespace rt::test

// A headless machine with the display started, and the runtime ended after each test.
#pragma once

#include <gtest/gtest.h>

#include "runtime/display/screen.h"
#include "runtime/display/windowed_screen.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/headless/headless_platform.h"
#include "tests/support/headless_runtime.h"

namespace rt::test {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(machine.Start({RuntimePart::Display})); }

  // A 640 x 400 screen in a window of its own, with the focus.
  platform::WindowId OpenWindowed() {
    platform::WindowDesc desc;
    desc.clientWidth = 640;
    desc.clientHeight = 400;
    desc.centred = true;
    const platform::WindowId window = machine.Video().CreateWindow(desc);
    EXPECT_EQ(OpenWindowedScreen(window, 0, 0, 640, 400), 1);
    return window;
  }

  void OpenFullScreen() { ASSERT_EQ(OpenScreen(640, 400, 32, "test"), 1); }

  // What the player does, seen by the display as the next frame's events are dispatched.
  void Do(const platform::Action& action) {
    machine.Apply(action);
    FlipBuffers();
  }

  HeadlessRuntime machine;
};

}  // namespace rt::test

// On the real backend (SDL's display-less driver) a termination signal does not kill the program:
// it arrives as a quit request, which the window library reports as a close request.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>

#include "runtime/display/window.h"
#include "runtime/platform/sdl/sdl_platform.h"

namespace rt::platform {
namespace {

class SdlSignal : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }
  void SetUp() override {
    // A signal ignored by whoever started us stays ignored; the program must not take it over.
    std::signal(GetParam(), SIG_DFL);
    machine_ = CreateSdlBackend();
    Install(machine_->Facets());
  }
  void TearDown() override {
    Uninstall();
    machine_.reset();
  }

  std::unique_ptr<SdlBackend> machine_;
};

TEST_P(SdlSignal, BecomesAQuitRequest) {
  WindowDesc desc;
  desc.title = "signal";
  desc.clientWidth = 64;
  desc.clientHeight = 40;
  ASSERT_NE(Video().CreateWindow(desc), 0u);
  Event event;
  while (Input().NextEvent(event, 0)) {
  }
  ASSERT_EQ(std::raise(GetParam()), 0);
  bool quit = false;
  while (!quit && Input().NextEvent(event, 100)) quit = event.type == EventType::QuitRequest;
  EXPECT_TRUE(quit);
  EXPECT_EQ(DispatchEvent(event), kEventCloseRequest);
}

INSTANTIATE_TEST_SUITE_P(Signals, SdlSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                           return info.param == SIGTERM ? "Term" : info.param == SIGINT ? "Int" : "HangUp";
                         });

}  // namespace
}  // namespace rt::platform

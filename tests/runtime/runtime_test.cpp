#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/core/text.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/forwarding_facets.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/sound/sound.h"
#include "tests/runtime/core/fake_platform.h"

namespace rt {
namespace {

using platform::WindowId;

// The headless machine with the calls that end libraries written down in the order they come.
class RecordingMachine : public platform::HeadlessPlatform {
 public:
  std::vector<std::string> calls;

 private:
  class RecordingVideo : public platform::ForwardingVideo {
   public:
    explicit RecordingVideo(RecordingMachine& m) : ForwardingVideo(m.Video()), m_(m) {}
    void DestroyWindow(WindowId window) override {
      m_.calls.push_back(m_.Window(window)->fullScreen ? "destroy screen" : "destroy window");
      ForwardingVideo::DestroyWindow(window);
    }

   private:
    RecordingMachine& m_;
  };
  class RecordingInput : public platform::ForwardingInput {
   public:
    explicit RecordingInput(RecordingMachine& m) : ForwardingInput(m.Input()), m_(m) {}
    void SetRelativeMouse(bool on) override {
      if (!on) m_.calls.push_back("release mouse");
      ForwardingInput::SetRelativeMouse(on);
    }

   private:
    RecordingMachine& m_;
  };
  class RecordingAudio : public platform::ForwardingAudio {
   public:
    explicit RecordingAudio(RecordingMachine& m) : ForwardingAudio(m.Audio()), m_(m) {}
    void CloseAudio() override {
      m_.calls.push_back("close audio");
      ForwardingAudio::CloseAudio();
    }

   private:
    RecordingMachine& m_;
  };

  platform::Backend Recording() {
    platform::Backend facets = Facets();
    facets.video = &video_;
    facets.input = &input_;
    facets.audio = &audio_;
    return facets;
  }

  RecordingVideo video_{*this};
  RecordingInput input_{*this};
  RecordingAudio audio_{*this};
  platform::ScopedBackend installed_{Recording()};
};

class Runtime : public testing::Test {
 protected:
  void SetUp() override { EndRuntime(); }
  void TearDown() override { EndRuntime(); }
};

TEST_F(Runtime, EndEndsTheLibrariesInTheFixedOrderAndForgetsThem) {
  RecordingMachine machine;
  StartRuntime();
  ASSERT_EQ(InitSpriteSystem(), 1);
  ASSERT_EQ(InitKeyboardInput(), 1);
  ASSERT_EQ(InitSoundSystem(), 1);
  ASSERT_EQ(InitMouseInput(), 1);
  ASSERT_EQ(OpenScreen(640, 400, 32, "Pellaris"), 1);
  ASSERT_NE(OpenWindow(3, 0, 0, 100, 100, "other"), 0);
  ReadMouse();
  EndRuntime();
  EXPECT_EQ(machine.calls,
            (std::vector<std::string>{"destroy window", "close audio", "release mouse", "destroy screen"}));
  const RuntimeState& state = rt::Runtime();
  for (const auto* part : {&state.windows, &state.display, &state.sprites, &state.keyboard, &state.mouse,
                           &state.sound, &state.text, &state.random}) {
    EXPECT_EQ(part->get(), nullptr);
  }
  EXPECT_EQ(ScreenWidth(), 0);
  EXPECT_EQ(WindowHandle(3), 0);
}

TEST_F(Runtime, APartialStartEndsOnlyWhatStarted) {
  RecordingMachine machine;
  StartRuntime();
  ASSERT_EQ(InitKeyboardInput(), 1);
  EndRuntime();
  EXPECT_TRUE(machine.calls.empty());
  EXPECT_EQ(InitKeyboardInput(), 1) << "the keyboard starts afresh";
}

TEST_F(Runtime, StartEmptiesTheStringAccumulator) {
  AppendString("left over");
  StartRuntime();
  EXPECT_EQ(AccumulatorTop(), 0u);
  EXPECT_EQ(AccumulatorCapacity(), 16u);
}

TEST_F(Runtime, ProgramFilenameIsTheBackendsProgramPath) {
  test::ScopedFakePlatform platform;
  platform.fake.programPath = "/usr/games/pellaris";
  EXPECT_EQ(ProgramFilename(), "/usr/games/pellaris");
}

std::vector<int> heard;
Signal<int> announcing;
void First(int value) {
  heard.push_back(value);
}
void Second(int value) {
  heard.push_back(value * 10);
  announcing.Disconnect(Second);
}

TEST(RuntimeSignal, EachListenerOnceInTheOrderTheyCameAndFreeToLeaveWhileTold) {
  heard.clear();
  announcing.Connect(First);
  announcing.Connect(Second);
  announcing.Connect(First);
  announcing.Emit(1);
  announcing.Emit(2);
  announcing.Disconnect(First);
  announcing.Emit(3);
  EXPECT_EQ(heard, (std::vector<int>{1, 10, 2}));
}

}  // namespace
}  // namespace rt

// Watching a recording never holds the viewer: a round that stands alone shows from its start, a
// session's recording skips what came before its round without waiting or drawing, and Escape, the
// controller's Back, the close box and the system's request to end leave at once, whether the playback
// is skipping, playing, fast-forwarding or paused.
#include <gtest/gtest.h>

#include <string>

#include "play/format/recording.h"
#include "play/playback.h"
#include "runtime/platform/forwarding_facets.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/key_codes.h"

namespace pellaris::play {
namespace {

using rt::platform::Action;
using rt::platform::HeadlessPlatform;

constexpr int kRoundStart = 3000;  // the session recording's round begins late

// A session's recording (format 1): the title, Enter, a long round before the recorded one begins.
Recording SessionRecording() {
  std::string text = "pellaris-recording 1\nseed 5\ndisplay window\nround " + std::to_string(kRoundStart) +
                     "\n1 time 1717243200\n2 key down 28\n3 key up 28\n40 key down 29\n";
  for (int pass = kRoundStart; pass < kRoundStart + 6000; pass += 60)
    text += std::to_string(pass) + " time " + std::to_string(1717243200 + pass / 60) + "\n";
  std::string error;
  std::optional<Recording> recording = ReadRecording(text, error);
  EXPECT_TRUE(recording) << error;
  return recording.value_or(Recording{});
}

// The machine's clock, which also does what the viewer does while the playback sleeps in its pause.
class ViewerClock : public rt::platform::ForwardingClock {
 public:
  ViewerClock(HeadlessPlatform& machine, int afterSleeps, Action action)
      : ForwardingClock(machine.Clock()), machine_(machine), afterSleeps_(afterSleeps), action_(action) {}
  void SleepMs(int milliseconds) override {
    next_.SleepMs(milliseconds);
    if (++sleeps_ == afterSleeps_) machine_.Apply(action_);
  }

 private:
  HeadlessPlatform& machine_;
  int afterSleeps_, sleeps_ = 0;
  Action action_;
};

enum class When { Skipping, Playing, FastForwarding, Paused };

struct Case {
  const char* name;
  When when;
  Action leave;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class WatchLeaves : public ::testing::TestWithParam<Case> {};

TEST_P(WatchLeaves, AtOnce) {
  const Case& c = GetParam();
  const Recording recording = SessionRecording();
  HeadlessPlatform machine;
  machine.SetFrameStepNanoseconds(0);  // the clock moves only when the playback waits
  const int at = c.when == When::Skipping ? 1000 : kRoundStart + 100;
  if (c.when == When::FastForwarding) machine.At(at - 50, Action::KeyDown(rt::kKeyRight));
  if (c.when == When::Paused) {
    machine.At(at, Action::KeyDown(rt::kKeySpace));
    machine.At(at + 1, Action::KeyUp(rt::kKeySpace));
  } else {
    machine.At(at, c.leave);
  }
  ViewerClock clock(machine, c.when == When::Paused ? 5 : -1, c.leave);
  rt::platform::Backend facets = machine.Facets();
  facets.clock = &clock;
  Watch watch(facets, recording);
  {
    const rt::platform::ScopedBackend installed(watch.Facets());
    watch.Run();
  }
  EXPECT_LE(machine.FrameCount(), at + 2) << c.name;
  EXPECT_LT(machine.ElapsedNanoseconds(), std::uint64_t{1'000'000'000} * (c.when == When::Skipping ? 1 : 3))
      << c.name << ": the playback waited";
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayEveryMoment, WatchLeaves,
    ::testing::Values(Case{"EscapeSkipping", When::Skipping, Action::KeyDown(rt::kKeyEscape)},
                      Case{"BackSkipping", When::Skipping, Action::PadDown(rt::platform::PadButton::Back)},
                      Case{"CloseSkipping", When::Skipping, Action::Close()},
                      Case{"QuitSkipping", When::Skipping, Action::Quit()},
                      Case{"EscapePlaying", When::Playing, Action::KeyDown(rt::kKeyEscape)},
                      Case{"ClosePlaying", When::Playing, Action::Close()},
                      Case{"QuitPlaying", When::Playing, Action::Quit()},
                      Case{"EscapeFastForwarding", When::FastForwarding, Action::KeyDown(rt::kKeyEscape)},
                      Case{"QuitFastForwarding", When::FastForwarding, Action::Quit()},
                      Case{"EscapePaused", When::Paused, Action::KeyDown(rt::kKeyEscape)},
                      Case{"BackPaused", When::Paused, Action::PadDown(rt::platform::PadButton::Back)},
                      Case{"ClosePaused", When::Paused, Action::Close()},
                      Case{"QuitPaused", When::Paused, Action::Quit()}),
    [](const auto& info) { return std::string(info.param.name); });

// A session's recording shows its round without drawing what came before, and a round that stands
// alone shows from its first pass; neither waits for the time the skipped passes took.
TEST(Watch, ShowsTheRoundAtOnceAndNothingBeforeIt) {
  const Recording recording = SessionRecording();
  HeadlessPlatform machine;
  machine.SetFrameStepNanoseconds(0);
  int firstShown = 0;
  std::uint64_t shownAt = 0;
  machine.SetPresentCallback([&](const rt::platform::PresentedFrame& frame) {
    if (firstShown == 0) firstShown = frame.frame, shownAt = machine.ElapsedNanoseconds();
  });
  machine.At(kRoundStart + 10, Action::KeyDown(rt::kKeyEscape));
  Watch watch(machine.Facets(), recording);
  {
    const rt::platform::ScopedBackend installed(watch.Facets());
    watch.Run();
  }
  EXPECT_GE(firstShown, kRoundStart - 1) << "a picture before the round was drawn";
  EXPECT_LT(shownAt, std::uint64_t{1'000'000'000});
}

}  // namespace
}  // namespace pellaris::play

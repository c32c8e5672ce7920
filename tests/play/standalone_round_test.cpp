// A round's recording stands alone: played from the state it starts from, it goes pass for pass as it
// went after the rounds before it in its session, the game's state and its picture alike, for several
// seeds, in a window and full screen, with keys, mouse buttons, pauses and focus changes held across
// the rounds' starts. And a session's rounds are recorded in files of about the same size.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "play/format/recording.h"
#include "play/playback.h"
#include "play/replay.h"
#include "runtime/display/screen.h"
#include "tests/play/session/session_run.h"

namespace pellaris::play {
namespace {

constexpr int kLeftCtrl = 0x1D, kSpace = 0x39, kRightCtrl = 0x9D;

struct Pass {
  std::string state;  // the log line, without the sounds
  std::uint64_t picture = 0;
};

// The game as it stands after a pass: its state and the picture in its back buffer.
Pass LookAtPass(std::int64_t pass) {
  FrameRecord record = RecordOfPass(pass);
  const rt::Surface* picture = rt::BlitTarget();
  return {FormatLogLine(record),
          picture ? rt::platform::HashPixels(reinterpret_cast<const std::uint32_t*>(picture->Pixels()),
                                             picture->Width(), picture->Height(), picture->Pitch())
                  : 0};
}

// Three rounds: the first started with the mouse's left button held, the second with Left Ctrl and
// Enter held and the focus lost as it begins, the third after a pause; random play in each, each ended
// by the clock jumping past its end.
void ScriptSession(HeadlessPlatform& machine, std::uint32_t seed) {
  std::mt19937 random(seed);
  const auto play = [&](int from, int to) {
    static constexpr int kKeys[] = {kLeftCtrl, kSpace, kRightCtrl};
    for (int pass = from; pass < to; pass += 3 + static_cast<int>(random() % 9)) {
      switch (random() % 6) {
        case 0:
        case 1: {
          const int key = kKeys[random() % 3];
          machine.At(pass, random() % 2 ? Action::KeyDown(key) : Action::KeyUp(key));
          break;
        }
        case 2:
          machine.At(
              pass, random() % 2 ? Action::ButtonDown(1 + random() % 2) : Action::ButtonUp(1 + random() % 2));
          break;
        case 3:
          machine.At(pass, Action::Motion(static_cast<int>(random() % 21) - 10,
                                          static_cast<int>(random() % 21) - 10));
          break;
        case 4:
          machine.At(pass, Action::LoseFocus());
          machine.At(pass + 5, Action::GainFocus());
          break;
        default:
          break;
      }
    }
  };
  machine.At(2, Action::ButtonDown(1));  // the left button starts the first round, and stays held
  play(12, 480);
  machine.At(490, Action::JumpClock(121));
  machine.At(520, Action::KeyDown(kLeftCtrl));
  machine.At(530, Action::KeyDown(kKeyEnter));
  machine.At(531, Action::LoseFocus());  // as the second round begins
  machine.At(540, Action::GainFocus());
  machine.At(545, Action::KeyUp(kKeyEnter));
  play(550, 900);
  machine.At(910, Action::KeyDown(kKeyP));
  machine.At(911, Action::KeyUp(kKeyP));
  machine.At(960, Action::KeyDown(kKeyP));
  machine.At(961, Action::KeyUp(kKeyP));
  play(970, 1200);
  machine.At(1210, Action::JumpClock(121));
  machine.At(1250, Action::KeyDown(kKeyEnter));
  machine.At(1252, Action::KeyUp(kKeyEnter));
  play(1260, 1500);
  machine.At(1510, Action::JumpClock(121));
}

struct Session {
  std::vector<Pass> passes;  // passes[p] after pass p
  std::vector<std::string> recordings;
};

Session PlaySession(std::uint32_t seed, bool fullScreen) {
  Session session;
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Setup().recording.seed = seed;
  run.Setup().fullScreen = fullScreen;
  ScriptSession(run.Machine(), seed);
  session.passes.push_back({});
  run.Run(1600, [&](int frame, play::Session&) { session.passes.push_back(LookAtPass(frame - 1)); });
  for (const std::string& name : FolderEntries(run.Folder() / "replays")) {
    session.recordings.push_back(ReadWhole(run.Folder() / "replays" / name));
  }
  return session;
}

// The recording played on its own, as `pellaris-replay --script` plays it.
std::vector<Pass> PlayAlone(const Recording& recording) {
  std::vector<Pass> passes(1);
  RunReplay(ReplayOptionsFor(recording), nullptr, [&](const FrameRecord& record) { passes.push_back(LookAtPass(record.frame)); });
  return passes;
}

// Where each round begins in the session: the pass after the one that set it up.
std::vector<std::size_t> RoundStarts(const std::vector<Pass>& passes) {
  std::vector<std::size_t> starts;
  for (std::size_t p = 2; p < passes.size(); ++p) {
    const bool before = passes[p - 1].state.find("\"title\"") != std::string::npos ||
                        passes[p - 1].state.find("\"gameover\"") != std::string::npos;
    if (before && passes[p].state.find("\"gameover\"") == std::string::npos &&
        passes[p].state.find("\"title\"") == std::string::npos) {
      starts.push_back(p);
    }
  }
  return starts;
}

// A pass's line names its pass: compare what follows.
std::string Unnumbered(const std::string& state) {
  return state.substr(state.find(','));
}

class StandaloneRound : public ::testing::TestWithParam<std::tuple<std::uint32_t, bool>> {};

TEST_P(StandaloneRound, PlaysAsItDidAfterTheRoundsBeforeIt) {
  const auto [seed, fullScreen] = GetParam();
  const Session session = PlaySession(seed, fullScreen);
  const std::vector<std::size_t> starts = RoundStarts(session.passes);
  ASSERT_EQ(session.recordings.size(), 3u);
  ASSERT_EQ(starts.size(), 3u);
  std::size_t smallest = SIZE_MAX, largest = 0;
  for (std::size_t round = 0; round < 3; ++round) {
    std::string error;
    const std::optional<Recording> recording = ReadRecording(session.recordings[round], error);
    ASSERT_TRUE(recording) << error;
    ASSERT_TRUE(recording->claimedScore) << "round " << round;
    const std::vector<Pass> alone = PlayAlone(*recording);
    ASSERT_EQ(alone.size(), static_cast<std::size_t>(recording->lastPass) + 1);
    for (std::int64_t pass = 1; pass <= recording->lastPass; ++pass) {
      const Pass& inSession = session.passes.at(starts[round] + static_cast<std::size_t>(pass) - 1);
      const Pass& played = alone[static_cast<std::size_t>(pass)];
      ASSERT_EQ(Unnumbered(played.state), Unnumbered(inSession.state))
          << "round " << round << " pass " << pass;
      ASSERT_EQ(played.picture, inSession.picture) << "round " << round << " pass " << pass;
    }
    const Verdict verdict = VerifyRecording(*recording);
    EXPECT_TRUE(verdict.Verified()) << "round " << round;
    EXPECT_EQ(verdict.startsAsTheSeed, round == 0) << "round " << round;
    smallest = std::min(smallest, session.recordings[round].size());
    largest = std::max(largest, session.recordings[round].size());
  }
  // The third round's file holds no more than the first's, give or take its own play.
  EXPECT_LT(largest, smallest * 2) << smallest << " " << largest;
}

INSTANTIATE_TEST_SUITE_P(SeedsAndDisplays, StandaloneRound,
                         ::testing::Combine(::testing::Values(1u, 21u, 4242u), ::testing::Bool()));

}  // namespace
}  // namespace pellaris::play

namespace pellaris::play {
namespace {

// A race or a daily challenge: every round of a seeded game starts with the seed's rocks, where its
// first round does, and each verifies as such.
TEST(SeededSession, EveryRoundStartsWithTheSeedsRocks) {
  SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Setup().recording.seed = 99;
  run.Setup().everyRoundFromTheSeed = true;
  run.Press(2, kKeyEnter);
  run.Machine().At(60, Action::KeyDown(kLeftCtrl));
  for (const int end : {200, 400}) {
    run.Machine().At(end, Action::JumpClock(121));
    run.Press(end + 20, kKeyEnter);
  }
  run.Run(500);
  std::vector<Recording> rounds;
  for (const std::string& name : FolderEntries(run.Folder() / "replays")) {
    std::string error;
    std::optional<Recording> recording = ReadRecording(ReadWhole(run.Folder() / "replays" / name), error);
    ASSERT_TRUE(recording) << error;
    rounds.push_back(std::move(*recording));
  }
  ASSERT_EQ(rounds.size(), 3u) << "two rounds over, and the third as far as it went";
  for (const Recording& round : rounds) {
    EXPECT_EQ(round.header.start.random, rounds[0].header.start.random);
    const Verdict verdict = VerifyRecording(round);
    EXPECT_EQ(verdict.Verified(), round.claimedScore.has_value());
    EXPECT_TRUE(verdict.startsAsTheSeed);
  }
}

}  // namespace
}  // namespace pellaris::play

#include "play/playback.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#include "game/field.h"
#include "game/game.h"
#include "game/round_start.h"
#include "game/snapshot.h"
#include "game/startup.h"
#include "play/answered_dialogs.h"
#include "play/format/printable.h"
#include "play/store/files.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/key_codes.h"
#include "runtime/runtime.h"

namespace pellaris::play {

namespace {

struct Stop {};

}  // namespace

std::optional<Recording> LoadRecording(const std::filesystem::path& file, std::string& error) {
  const FileContents contents = ReadSmallFile(file, kLargestRecording);
  if (contents.status != ReadStatus::Read) {
    error =
        Printable(contents.status == ReadStatus::Missing ? "cannot read " + file.string() + ": no such file"
                                                         : contents.error);
    return std::nullopt;
  }
  std::optional<Recording> recording = ReadRecording(contents.text, error);
  if (!recording) error = Printable(file.string()) + ": " + error;
  return recording;
}

void PlayRecordedGame(const Recording& recording, RoundStart* expected) {
  if (recording.header.format == 1) return PlayGame();
  PlayGameFrom(recording.header.start, expected);
}

namespace {

// Plays the recording on the headless machine as fast as it goes, without drawing, telling `pass` of
// each pass as it begins until it returns false or the recording ends. Returns the pass it stopped at.
std::int64_t PlayHeadless(const Recording& recording, const std::function<bool(std::int64_t pass)>& pass,
                          RoundStart* expected = nullptr) {
  rt::platform::HeadlessPlatform machine;
  AnsweredDialogs dialogs(machine.Dialogs(), recording.header.fullScreen);
  rt::platform::Backend facets = machine.Facets();
  facets.dialogs = &dialogs;
  GameView view(facets);
  std::int64_t stopped = 0;
  view.PlayRecording(recording, [&](std::int64_t at, const std::vector<ScriptEvent>&) {
    if (pass(at) && at < recording.lastPass) return;
    stopped = at;
    throw Stop{};
  });
  const rt::platform::ScopedBackend installed(view.Facets());
  rt::RandomSeed(recording.header.seed);
  rt::SkipPixelWrites(true);
  try {
    RunProgram([&] { PlayRecordedGame(recording, expected); });
    stopped = machine.FrameCount();  // the game ended before the recording did
  } catch (const Stop&) {
    rt::EndRuntime();
  }
  return stopped;
}

template <typename Value>
bool SameBits(const Value& a, const Value& b) {
  return std::memcmp(&a, &b, sizeof(Value)) == 0;
}

// What the start must have as a real game's set-up makes it; the craft and the backdrop carry over
// from the rounds before, so only their range is checked.
bool PlausibleStart(const RoundStart& start, const RoundStart& expected) {
  RoundStart setUp = start;
  setUp.craftY = expected.craftY, setUp.craftSpeedY = expected.craftSpeedY;
  setUp.craftOnGround = expected.craftOnGround, setUp.fireCooldown = expected.fireCooldown;
  setUp.backdropX = expected.backdropX, setUp.lastEvent = expected.lastEvent;
  setUp.restartRequested = expected.restartRequested, setUp.mouseButtons = expected.mouseButtons;
  const bool carriedOverInRange = start.craftY >= 0.0f && start.craftY <= kFieldHeight &&
                                  std::fabs(start.craftSpeedY) <= 100.0f && start.fireCooldown <= 30 &&
                                  start.backdropX >= -kFieldWidth && start.backdropX <= 0.0f;
  return setUp == expected && carriedOverInRange;
}

bool StartsAsTheSeed(const RoundStart& start, const RoundStart& expected, std::uint64_t firstRoundDraws) {
  RoundStart same = start;
  same.lastEvent = expected.lastEvent, same.restartRequested = expected.restartRequested;
  same.mouseButtons = expected.mouseButtons;
  return same == expected && start.random.draws == firstRoundDraws;
}

}  // namespace

Verdict VerifyRecording(const Recording& recording) {
  Verdict verdict;
  verdict.claimedScore = recording.claimedScore;
  verdict.sameRules = recording.header.rules == kRulesVersion;
  if (!verdict.sameRules) return verdict;
  if (recording.header.start.random.draws > kMostCheckedDraws) {
    verdict.startPlausible = false;
    return verdict;
  }
  const bool wholeSession = recording.header.format == 1;
  const RoundStart& start = recording.header.start;
  RoundStart expected;
  // The game has set up the start it expects as the first pass begins: a start no game has is not
  // played on, however long the recording (thousands of rocks take seconds a minute of passes).
  std::optional<bool> plausible;
  verdict.pass = PlayHeadless(
      recording,
      [&](std::int64_t) {
        if (!plausible) plausible = wholeSession || PlausibleStart(start, expected);
        return *plausible;
      },
      &expected);
  verdict.startPlausible = plausible.value_or(wholeSession);
  if (!verdict.startPlausible) return verdict;
  const GameSnapshot game = LookAtGame();
  verdict.score = game.score;
  verdict.roundOver = game.gameOver;
  verdict.startsAsTheSeed =
      wholeSession ? recording.header.roundStart == 1 : StartsAsTheSeed(start, expected, FirstRoundDraws());
  return verdict;
}

std::vector<float> TraceCraft(const Recording& recording) {
  std::vector<float> heights;
  PlayHeadless(recording, [&](std::int64_t pass) {
    if (pass >= recording.header.roundStart) heights.push_back(LookAtGame().craftY);
    return true;
  });
  return heights;
}

std::vector<float> GhostOfTheBest(const ScoreTable& table, const std::filesystem::path& replaysFolder) {
  for (const ScoredRound& round : table.Best()) {
    if (round.recording.empty()) continue;
    std::string error;
    const std::optional<Recording> recording = LoadRecording(replaysFolder / round.recording, error);
    if (recording) return TraceCraft(*recording);
  }
  return {};
}

Watch::Watch(const rt::platform::Backend& machine, const Recording& recording)
    : machine_(machine),
      recording_(recording),
      dialogs_(*machine.dialogs, recording.header.fullScreen),
      view_(WithDialogs(machine)) {}

rt::platform::Backend Watch::WithDialogs(rt::platform::Backend machine) {
  machine.dialogs = &dialogs_;
  return machine;
}

int Watch::Run(const DeviceFailureText& explain) {
  view_.PlayRecording(recording_,
                      [this](std::int64_t pass, const std::vector<ScriptEvent>&) { PassBegins(pass); });
  rt::RandomSeed(recording_.header.seed);
  try {
    return RunProgram([this] { PlayRecordedGame(recording_); }, explain);
  } catch (const Leave&) {
    rt::EndRuntime();
  }
  return kExitEnded;
}

void Watch::PassBegins(std::int64_t pass) {
  std::uint8_t keys[256];
  rt::platform::PadState pads;
  ReadViewer(keys, pads);
  if (Pressed(rt::kKeyEscape, keys) || pads.Held(rt::platform::PadButton::Back)) throw Leave{};
  if (Pressed(rt::kKeySpace, keys) || PadPausePressed(pads)) Pause();
  const std::int64_t last = recording_.lastPass + (recording_.claimedScore ? kPassesShownAfterTheEnd : 0);
  if (pass > last) throw Leave{};
  // Before the round (of a whole session's recording) the playback runs as fast as it can, drawing
  // nothing; fast-forward is about eight times the speed.
  const bool skipping = pass < recording_.header.roundStart;
  rt::SkipPixelWrites(skipping);
  const bool fastForward = keys[rt::kKeyRight] != 0 || pads.Held(rt::platform::PadButton::RightShoulder) ||
                           pads.Held(rt::platform::PadButton::DpadRight);
  view_.SetPaced(!skipping && !fastForward);
  if (fastForward && !skipping) machine_.clock->SleepMs(kFastForwardMs);
}

// Holds the playback, the last picture on the screen, until the viewer resumes or leaves.
void Watch::Pause() {
  for (;;) {
    machine_.clock->SleepMs(15);
    rt::platform::Event event;
    while (machine_.input->NextEvent(event, 0)) {
      if (event.type == rt::platform::EventType::CloseRequest ||
          event.type == rt::platform::EventType::QuitRequest) {
        throw Leave{};
      }
    }
    std::uint8_t keys[256];
    rt::platform::PadState pads;
    ReadViewer(keys, pads);
    if (Pressed(rt::kKeyEscape, keys) || pads.Held(rt::platform::PadButton::Back)) throw Leave{};
    if (Pressed(rt::kKeySpace, keys) || PadPausePressed(pads)) return;
  }
}

void Watch::ReadViewer(std::uint8_t keys[256], rt::platform::PadState& pads) {
  machine_.input->ReadKeyState(keys);
  machine_.input->ReadPadState(pads);
}

bool Watch::Pressed(int key, const std::uint8_t keys[256]) {
  const bool held = keys[key] != 0, was = wasHeld_[key];
  wasHeld_[key] = held;
  return held && !was;
}

bool Watch::PadPausePressed(const rt::platform::PadState& pads) {
  const bool held = pads.Held(rt::platform::PadButton::A) || pads.Held(rt::platform::PadButton::Start);
  const bool pressed = held && !padPauseWasHeld_;
  padPauseWasHeld_ = held;
  return pressed;
}

}  // namespace pellaris::play

#include "app/playback.h"

#include <algorithm>
#include <functional>

#include "app/answered_dialogs.h"
#include "app/files.h"
#include "game/game.h"
#include "game/startup.h"
#include "game/state.h"
#include "runtime/core/random.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/key_codes.h"
#include "runtime/runtime.h"

namespace pellaris::app {

namespace {

// A session of a few hundred rounds; anything larger is no recording of ours.
constexpr std::size_t kLargestRecording = 16 << 20;

struct Stop {};

}  // namespace

std::optional<Recording> LoadRecording(const std::filesystem::path& file, std::string& error) {
  const FileContents contents = ReadSmallFile(file, kLargestRecording);
  if (contents.status != ReadStatus::Read) {
    error = contents.status == ReadStatus::Missing ? "cannot read " + file.string() + ": no such file"
                                                   : contents.error;
    return std::nullopt;
  }
  std::optional<Recording> recording = ReadRecording(contents.text, error);
  if (!recording) error = file.string() + ": " + error;
  return recording;
}

std::optional<Recording> ReadRecording(std::string_view text, std::string& error) {
  replay::ParseResult parsed = replay::ParseScript(text);
  if (!parsed.error.empty()) {
    error = parsed.error;
    return std::nullopt;
  }
  if (!parsed.recording) {
    error = "a script, not a recording: it does not start with 'pellaris-recording'";
    return std::nullopt;
  }
  Recording recording{*parsed.recording, std::move(parsed.events), std::nullopt, 0};
  for (const replay::ScriptEvent& event : recording.events) {
    recording.lastPass = std::max(recording.lastPass, event.frame);
    if (event.type == replay::ScriptEvent::Type::End) recording.claimedScore = event.a;
  }
  return recording;
}

namespace {

// Plays the recording on the headless machine as fast as it goes, telling `pass` of each pass as it
// begins until it returns false or the recording ends. Returns the pass it stopped at.
std::int64_t PlayHeadless(const Recording& recording, const std::function<bool(std::int64_t pass)>& pass) {
  rt::platform::HeadlessPlatform machine;
  AnsweredDialogs dialogs(machine.Dialogs(), recording.header.fullScreen);
  rt::platform::Backend facets = machine.Facets();
  facets.dialogs = &dialogs;
  GameView view(facets);
  std::int64_t stopped = 0;
  view.PlayScript(recording.events, [&](std::int64_t at, const std::vector<replay::ScriptEvent>&) {
    if (pass(at) && at < recording.lastPass) return;
    stopped = at;
    throw Stop{};
  });
  const rt::platform::ScopedBackend installed(view.Facets());
  rt::RandomSeed(recording.header.seed);
  try {
    RunProgram(PlayGame);
    stopped = machine.FrameCount();  // the game ended before the recording did
  } catch (const Stop&) {
    rt::EndRuntime();
  }
  return stopped;
}

}  // namespace

Verdict VerifyRecording(const Recording& recording) {
  Verdict verdict;
  verdict.claimedScore = recording.claimedScore;
  verdict.pass = PlayHeadless(recording, [](std::int64_t) { return true; });
  verdict.score = score;
  verdict.roundOver = gameOver == 1;
  return verdict;
}

std::vector<float> TraceCraft(const Recording& recording) {
  std::vector<float> heights;
  PlayHeadless(recording, [&](std::int64_t pass) {
    if (pass >= recording.header.roundStart) heights.push_back(craftY);
    return true;
  });
  return heights;
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

void Watch::Run() {
  view_.PlayScript(recording_.events,
                   [this](std::int64_t pass, const std::vector<replay::ScriptEvent>&) { PassBegins(pass); });
  rt::RandomSeed(recording_.header.seed);
  try {
    RunProgram(PlayGame);
  } catch (const Leave&) {
    rt::EndRuntime();
  }
}

void Watch::PassBegins(std::int64_t pass) {
  std::uint8_t keys[256];
  rt::platform::PadState pads;
  ReadViewer(keys, pads);
  if (Pressed(rt::kKeyEscape, keys) || pads.Held(rt::platform::PadButton::Back)) throw Leave{};
  if (Pressed(rt::kKeySpace, keys) || PadPausePressed(pads)) Pause();
  const std::int64_t last = recording_.lastPass + (recording_.claimedScore ? kPassesShownAfterTheEnd : 0);
  if (pass > last) throw Leave{};
  // Before the round the playback runs as fast as it can; fast-forward is about eight times the speed.
  const bool skipping = pass < recording_.header.roundStart;
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

}  // namespace pellaris::app

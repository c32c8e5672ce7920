#include "play/replay.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "game/game.h"
#include "game/snapshot.h"
#include "game/startup.h"
#include "play/controls/controls.h"
#include "play/controls/player_input.h"
#include "play/format/fields.h"
#include "play/game_view.h"
#include "play/machine.h"
#include "play/playback.h"
#include "runtime/core/date.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/platform/forwarding_facets.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "runtime/sound/sound.h"

namespace pellaris::play {

namespace {

// Unwinds the game out of FlipBuffers when the requested number of frames has run.
struct EndOfReplay {};

// The sounds started in the pass being run.
std::vector<int>* soundsOfPass = nullptr;

void NoteSound(rt::ObjectNumber number) {
  soundsOfPass->push_back(static_cast<int>(number));
}

const char* ScreenName(Screen screen) {
  switch (screen) {
    case Screen::Title:
      return "title";
    case Screen::Playing:
      return "playing";
    case Screen::GameOver:
      return "gameover";
    case Screen::Paused:
      return "paused";
  }
  return "title";
}

// A JSON object built field by field from values already in JSON form.
class JsonObject {
 public:
  JsonObject& Field(const char* name, const std::string& value) {
    text_.append(text_.size() > 1 ? ",\"" : "\"").append(name).append("\":").append(value);
    return *this;
  }
  std::string Text() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

// Hands `audio` what the device played up to the clock's present moment: the frames of the time
// since the last call, in one block, so that the mixer places every start at its own moment.
class AudioTap {
 public:
  AudioTap(rt::platform::HeadlessPlatform& machine,
           const std::function<void(const std::int16_t*, std::size_t)>& audio)
      : machine_(machine), audio_(audio) {}

  void CatchUp() {
    if (!audio_) return;
    constexpr std::uint64_t kSecond = rt::platform::HeadlessPlatform::kCounterFrequency;
    const std::uint64_t now = machine_.ElapsedNanoseconds();
    const std::uint64_t due = now / kSecond * kAudioRate + now % kSecond * kAudioRate / kSecond;
    while (played_ < due) {
      const auto frames = static_cast<int>(std::min<std::uint64_t>(due - played_, kLargestBlock));
      std::vector<std::int16_t> samples = machine_.RenderAudio(frames);
      if (samples.empty()) samples.assign(static_cast<std::size_t>(frames) * kAudioChannels, 0);
      audio_(samples.data(), samples.size());
      played_ += static_cast<std::uint64_t>(frames);
    }
  }

 private:
  static constexpr std::uint64_t kLargestBlock = std::uint64_t{1} << 24;  // six minutes

  rt::platform::HeadlessPlatform& machine_;
  const std::function<void(const std::int16_t*, std::size_t)>& audio_;
  std::uint64_t played_ = 0;  // frames handed on so far
};

// The clock, telling when each pass ends: at the start of the frame boundary that begins the next.
class PassEnds : public rt::platform::ForwardingClock {
 public:
  PassEnds(rt::platform::ClockFacet& clock, std::function<void(std::int64_t pass)> ended)
      : ForwardingClock(clock), ended_(std::move(ended)) {}

  void FrameBoundary() override {
    if (++boundaries_ >= 2) ended_(boundaries_ - 1);
    next_.FrameBoundary();
  }

 private:
  std::function<void(std::int64_t)> ended_;
  std::int64_t boundaries_ = 0;
};

}  // namespace

FrameRecord RecordOfPass(std::int64_t frame, std::vector<int> sounds) {
  const GameSnapshot game = LookAtGame();
  FrameRecord record;
  record.frame = frame;
  record.screen = ScreenName(game.screen);
  record.score = game.score;
  record.craftY = game.craftY;
  record.craftSpeedY = game.craftSpeedY;
  record.fireCooldown = game.fireCooldown;
  record.flashLevel = game.flashLevel;
  record.remaining = game.screen == Screen::Title ? 0 : game.roundEndTime - rt::CurrentDate();
  record.backdropX = game.backdropX;
  const auto counts = CountEntities();
  std::copy(counts.begin(), counts.end(), record.entities);
  record.sounds = std::move(sounds);
  return record;
}

std::string FormatLogLine(const FrameRecord& r) {
  static constexpr const char* kKindNames[kEntityKindCount] = {"rock", "explosion", "clock", "popup",
                                                               "bomb", "slow",      "spark"};
  JsonObject entities;
  for (int kind = 0; kind < kEntityKindCount; ++kind)
    entities.Field(kKindNames[kind], std::to_string(r.entities[kind]));
  std::string sounds = "[";
  for (std::size_t i = 0; i < r.sounds.size(); ++i)
    sounds.append(i ? "," : "").append(std::to_string(r.sounds[i]));
  sounds += ']';
  return JsonObject()
      .Field("frame", std::to_string(r.frame))
      .Field("screen", std::string("\"").append(r.screen).append("\""))
      .Field("score", std::to_string(r.score))
      .Field("craftY", FloatText(r.craftY))
      .Field("craftSpeedY", FloatText(r.craftSpeedY))
      .Field("fireCooldown", std::to_string(r.fireCooldown))
      .Field("flashLevel", std::to_string(r.flashLevel))
      .Field("remaining", std::to_string(r.remaining))
      .Field("backdropX", FloatText(r.backdropX))
      .Field("entities", entities.Text())
      .Field("sounds", sounds)
      .Text();
}

void ReplayOptions::Take(ParseResult script) {
  events = std::move(script.events);
  recording = std::move(script.recording);
  if (recording) {
    seed = recording->seed;
    answerYes = recording->fullScreen;
  }
}

ReplayOptions ReplayOptionsFor(const Recording& recording) {
  ReplayOptions options;
  options.seed = recording.header.seed;
  options.answerYes = recording.header.fullScreen;
  options.frames = recording.lastPass;
  options.events = recording.events;
  options.recording = recording.header;
  return options;
}

void RunReplay(const ReplayOptions& options, std::ostream* log,
               const std::function<void(const FrameRecord&)>& observe, std::ostream* hashes) {
  rt::platform::HeadlessPlatform machine;
  machine.SetFramesPerSecond(options.fps);
  machine.SetAudioFormat({kAudioRate, kAudioChannels, rt::platform::SampleFormat::S16});
  machine.SetDefaultYesNoAnswer(options.answerYes ? rt::platform::MessageAnswer::Yes
                                                  : rt::platform::MessageAnswer::No);
  PassHashes passHashes([&](const std::string& line) { *hashes << line << '\n'; });
  if (hashes || options.presented) {
    machine.SetPresentCallback([&](const rt::platform::PresentedFrame& frame) {
      if (hashes) passHashes.Shown(frame.frame, frame.hash);
      if (options.presented) options.presented(frame);
    });
  }
  // A script says what the devices did, and its pad lines reach the game through the player's
  // default controls, as on the desktop; a recording says what the game read, pass by pass.
  PlayerInput controls(machine.Input(), DefaultBindings());
  rt::platform::Backend facets = machine.Facets();
  std::optional<GameView> view;
  const Recording recording{options.recording.value_or(RecordingHeader{}), options.events, std::nullopt, 0};
  if (options.recording) {
    view.emplace(facets);
    view->PlayRecording(recording, nullptr);
    facets = view->Facets();
  } else {
    ScheduleScript(machine, options.events);
    facets.input = &controls;
  }

  std::vector<int> sounds;
  soundsOfPass = &sounds;
  rt::SoundStarts().Connect(NoteSound);

  auto report = [&](std::int64_t frame) {
    const FrameRecord record = RecordOfPass(frame, std::move(sounds));
    sounds.clear();
    if (log) *log << FormatLogLine(record) << '\n';
    if (observe) observe(record);
  };
  // A pass's line is written as the next pass begins, before anything of the next pass happens.
  PassEnds passEnds(*facets.clock, report);
  facets.clock = &passEnds;
  AudioTap tap(machine, options.audio);
  machine.SetFrameCallback([&](int flip) {
    tap.CatchUp();
    if (options.frames > 0 && flip == options.frames + 1) throw EndOfReplay{};
  });
  const rt::platform::ScopedBackend installed(facets);
  rt::RandomSeed(options.seed);
  rt::SkipPixelWrites(options.pixelWritesSkipped);

  try {
    RunProgram([&] { options.recording ? PlayRecordedGame(recording) : PlayGame(); });
    if (machine.FrameCount() > 0) report(machine.FrameCount());
  } catch (const EndOfReplay&) {
    rt::EndRuntime();
  }
  passHashes.Finish();
  rt::SoundStarts().Disconnect(NoteSound);
  soundsOfPass = nullptr;
}

}  // namespace pellaris::play

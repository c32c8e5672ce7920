// The program a player starts: the command line and the settings, then the game on the SDL backend
// inside the player's session.
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/options.h"
#include "app/paths.h"
#include "app/playback.h"
#include "app/printable.h"
#include "app/scores.h"
#include "app/session.h"
#include "app/settings.h"
#include "game/game.h"
#include "game/startup.h"
#include "runtime/core/random.h"
#include "runtime/platform/sdl/sdl_platform.h"
#include "runtime/sound/sound.h"

namespace pellaris::app {
namespace {

std::filesystem::path SettingsFile(const Options& options) {
  return options.configFile ? std::filesystem::path(*options.configFile) : DefaultSettingsFile();
}

// The settings in force: the file's, with the command line on top.
Settings WithOptions(Settings settings, const Options& options) {
  if (options.display) settings.display = *options.display;
  if (options.windowScale) settings.windowScale = options.windowScale;
  if (options.fit) settings.scaling = Scaling::Fit;
  if (options.volume) settings.volume = *options.volume;
  if (options.mute) settings.mute = true;
  return settings;
}

std::optional<bool> DisplayAnswer(DisplayMode mode) {
  if (mode == DisplayMode::Ask) return std::nullopt;
  return mode == DisplayMode::Fullscreen;
}

rt::platform::SdlOptions WindowOptions(const Settings& settings) {
  rt::platform::SdlOptions window;
  window.windowScale = settings.windowScale.value_or(0);
  window.resizable = true;
  window.scaling =
      settings.scaling == Scaling::Fit ? rt::platform::Scaling::Fit : rt::platform::Scaling::WholeNumber;
  return window;
}

std::unique_ptr<rt::platform::SdlBackend> MakeMachine(const Settings& settings) {
  std::unique_ptr<rt::platform::SdlBackend> machine = rt::platform::CreateSdlBackend(WindowOptions(settings));
  if (const std::filesystem::path folder = ConfigFolder(); !folder.empty()) {
    machine->LoadPadMappings(folder / "gamecontrollerdb.txt");
  }
  return machine;
}

std::filesystem::path ReplaysFolder(const Settings& settings) {
  const std::filesystem::path state = StateFolder();
  return settings.record && !state.empty() ? state / "replays" : std::filesystem::path();
}

// The craft of the best round that has a recording, pass by pass; empty when there is none.
std::vector<float> GhostOfTheBest() {
  const ScoreTable table = LoadScores(DefaultScoresFile(), std::cerr);
  for (const ScoredRound& round : table.Best()) {
    if (round.recording.empty()) continue;
    std::string error;
    const std::optional<Recording> recording =
        LoadRecording(StateFolder() / "replays" / round.recording, error);
    if (recording) return TraceCraft(*recording);
  }
  return {};
}

int Play(const Options& options, const std::filesystem::path& settingsFile, const Settings& stored) {
  const Settings settings = WithOptions(stored, options);
  const std::unique_ptr<rt::platform::SdlBackend> machine = MakeMachine(settings);
  // The seed is chosen here rather than by the game's first random number, so the recordings know it.
  const std::uint32_t seed = options.seed ? *options.seed : machine->Facets().clock->TickMs();
  SessionSetup setup;
  setup.settings = settings;
  setup.storedSettings = stored;
  setup.settingsFile = settingsFile;
  setup.scoresFile = DefaultScoresFile();
  setup.replaysFolder = ReplaysFolder(settings);
  setup.recording = {replay::kRecordingFormat, ProgramVersion(), seed, false, 1};
  setup.fullScreen = DisplayAnswer(settings.display);
  setup.silentWithoutDevice = options.noSound;
  setup.toggleFullScreen = [&machine] { machine->ToggleFullScreen(); };
  if (settings.ghost) setup.ghost = GhostOfTheBest();
  Session session(machine->Facets(), std::move(setup), std::cerr);
  const rt::platform::ScopedBackend installed(session.Facets());
  session.Start();
  rt::RandomSeed(seed);
  return RunProgram(PlayGame);
}

int WatchRecording(const Options& options, const Settings& stored) {
  std::string error;
  const std::optional<Recording> recording = LoadRecording(*options.replayFile, error);
  if (!recording) {
    std::cerr << "pellaris: " << Printable(error) << '\n';
    return 1;
  }
  const Settings settings = WithOptions(stored, options);
  const std::unique_ptr<rt::platform::SdlBackend> machine = MakeMachine(settings);
  FallbackAudio audio(machine->Facets().audio);
  rt::platform::Backend facets = machine->Facets();
  if (options.noSound) facets.audio = &audio;
  Watch watch(facets, *recording);
  const rt::platform::ScopedBackend installed(watch.Facets());
  rt::SetSoundVolume(static_cast<float>(settings.volume) / static_cast<float>(kLargestVolume));
  rt::SetSoundMuted(settings.mute);
  watch.Run();
  return 0;
}

// Checks the recordings of the rounds not yet verified, keeps what it found, and prints the table.
int PrintScores() {
  const std::filesystem::path file = DefaultScoresFile();
  ScoreTable table = LoadScores(file, std::cerr);
  bool marked = false;
  for (std::size_t place = 0; place < table.Best().size(); ++place) {
    const ScoredRound& round = table.Best()[place];
    if (round.recording.empty() || round.verified) continue;
    std::string error;
    const std::optional<Recording> recording =
        LoadRecording(StateFolder() / "replays" / round.recording, error);
    if (recording && VerifyRecording(*recording).Verified() && *recording->claimedScore == round.score) {
      table.MarkVerified(place);
      marked = true;
    }
  }
  if (marked && !file.empty()) SaveScores(file, table, std::cerr);
  std::cout << FormatTable(table);
  return std::cout.flush() ? 0 : 1;
}

// --help shows the player's own keys, from the settings file if there is one; it writes none.
Bindings BindingsForHelp(const Options& options) {
  const std::filesystem::path file = SettingsFile(options);
  std::error_code error;
  if (file.empty() || !std::filesystem::exists(file, error)) return DefaultBindings();
  return LoadSettings(file, std::cerr).bindings;
}

}  // namespace
}  // namespace pellaris::app

int main(int argc, char** argv) {
  using namespace pellaris::app;
  const Options options = ParseCommandLine(argc, argv);
  switch (options.request) {
    case Request::Fail:
      std::cerr << options.error;
      return options.exitCode;
    case Request::Help:
      std::cout << HelpText(BindingsForHelp(options));
      return std::cout.flush() ? 0 : 1;
    case Request::Version:
      std::cout << VersionText();
      return std::cout.flush() ? 0 : 1;
    case Request::Scores:
      return PrintScores();
    case Request::Play:
      break;
  }
  const std::filesystem::path settingsFile = SettingsFile(options);
  const Settings stored = settingsFile.empty() ? Settings{} : LoadSettings(settingsFile, std::cerr);
  return options.replayFile ? WatchRecording(options, stored) : Play(options, settingsFile, stored);
}

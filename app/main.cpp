// The program a player starts: the command line and the settings, then the game on the SDL backend
// inside the player's session.
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/board/board_print.h"
#include "app/board/courier.h"
#include "app/board/install_id.h"
#include "app/cli/options.h"
#include "app/store/paths.h"
#include "game/game.h"
#include "game/startup.h"
#include "play/daily.h"
#include "play/format/printable.h"
#include "play/playback.h"
#include "play/session/session.h"
#include "play/store/scores.h"
#include "play/store/settings.h"
#include "runtime/core/random.h"
#include "runtime/platform/sdl/sdl_platform.h"
#include "runtime/sound/sound.h"

namespace pellaris::app {
namespace {

using namespace pellaris::play;

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

void Tell(const std::string& line) {
  std::cerr << "pellaris: " << line << '\n';
}

// What the player reads when a device cannot be opened, in the message box and on the terminal.
std::string ExplainMissing(Device device) {
  switch (device) {
    case Device::Sprites:
      return "Could not open a window: there is no desktop to show it on.";
    case Device::Sound:
      return "Could not open the sound device. To play without sound, start the game with --no-sound.";
    case Device::Keyboard:
    case Device::Mouse:
      break;
  }
  return NameTheDevice(device);
}

std::string TellMissing(Device device) {
  const std::string text = ExplainMissing(device);
  Tell(text);
  return text;
}

rt::platform::SdlOptions WindowOptions(const Settings& settings) {
  rt::platform::SdlOptions window;
  window.report = [](const std::string& line) { Tell(Printable(line)); };  // it may name a file
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

std::filesystem::path RecordingsFolder(const Settings& settings) {
  return settings.record ? ReplaysFolder() : std::filesystem::path();
}

// The courier of the board in the settings, which takes a round's recording: none when no board is
// set or rounds are not recorded. The install id is made when a board is first set.
std::unique_ptr<BoardCourier> StartCourier(const std::filesystem::path& settingsFile, Settings& stored,
                                           const Settings& settings, const std::optional<UtcDate>& daily) {
  if (settings.boardUrl.empty()) return nullptr;
  BoardSetup board;
  board.replaysFolder = RecordingsFolder(settings);
  board.outboxFolder = OutboxFolder();
  if (board.replaysFolder.empty() || board.outboxFolder.empty()) {
    Tell("a score board is set, but rounds are not recorded (record = no in the settings): none is sent");
    return nullptr;
  }
  board.installId = EnsureInstallId(settingsFile, stored, std::cerr);
  if (board.installId.empty()) return nullptr;
  board.url = settings.boardUrl;
  board.name = settings.playerName;
  board.daily = daily;
  return std::make_unique<BoardCourier>(std::move(board), std::cerr);
}

int Play(const Options& options, const std::filesystem::path& settingsFile, Settings stored) {
  const Settings settings = WithOptions(stored, options);
  const std::optional<UtcDate> daily =
      options.daily ? std::optional<UtcDate>(UtcDateOf(std::time(nullptr))) : std::nullopt;
  // Made before the session, which tells it of every round, and ended after it.
  const std::unique_ptr<BoardCourier> courier = StartCourier(settingsFile, stored, settings, daily);
  const std::unique_ptr<rt::platform::SdlBackend> machine = MakeMachine(settings);
  // The seed is chosen here rather than by the game's first random number, so the recordings know it.
  const std::uint32_t seed = daily          ? DailySeed(*daily, kRulesVersion)
                             : options.seed ? *options.seed
                                            : machine->Facets().clock->TickMs();
  SessionSetup setup;
  setup.settings = settings;
  setup.storedSettings = stored;
  setup.settingsFile = settingsFile;
  setup.scoresFile = DefaultScoresFile();
  setup.replaysFolder = RecordingsFolder(settings);
  setup.recording.program = ProgramVersion();
  setup.recording.rules = kRulesVersion;
  setup.recording.seed = seed;
  setup.everyRoundFromTheSeed = options.seed || options.daily;
  setup.fullScreen = DisplayAnswer(settings.display);
  setup.silentWithoutDevice = options.noSound;
  setup.toggleFullScreen = [&machine] { machine->ToggleFullScreen(); };
  if (settings.ghost)
    setup.ghost = GhostOfTheBest(LoadScores(DefaultScoresFile(), std::cerr).table, ReplaysFolder());
  if (courier) {
    setup.roundEnded = [&courier](std::int32_t, const std::string& recording) {
      if (!recording.empty()) courier->RoundEnded(recording);
    };
    setup.boardRank = [&courier](const std::string& recording) { return courier->RankOf(recording); };
  }
  Session session(machine->Facets(), std::move(setup), std::cerr);
  const rt::platform::ScopedBackend installed(session.Facets());
  session.Start();
  rt::RandomSeed(seed);
  return RunProgram(PlayGame, TellMissing);
}

int WatchRecording(const Options& options, const Settings& stored) {
  std::string error;
  const std::optional<Recording> recording = LoadRecording(*options.replayFile, error);
  if (!recording) {
    std::cerr << "pellaris: " << error << '\n';
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
  return watch.Run(TellMissing);
}

// Plays back the recordings of the rounds neither verified nor failed before, seconds each.
std::vector<RecordingCheck> CheckRecordings(const ScoreTable& table, const std::set<std::string>& failed) {
  std::vector<RecordingCheck> checks;
  for (const ScoredRound& round : table.Best()) {
    if (round.recording.empty() || round.verified || failed.contains(round.recording)) continue;
    std::string error;
    const std::optional<Recording> recording = LoadRecording(ReplaysFolder() / round.recording, error);
    if (!recording) continue;  // missing or unreadable for now: no verdict, and it costs nothing
    const bool verified = VerifyRecording(*recording).Verified() && *recording->claimedScore == round.score;
    checks.push_back({round.recording, round.score, verified});
  }
  return checks;
}

// Checks the recordings first, then keeps the verdicts in the table as it is by then, which a game
// may have changed meanwhile, and prints that table.
int PrintScores() {
  const std::filesystem::path file = DefaultScoresFile();
  ScoresOutcome scores = LoadScores(file, std::cerr);
  const std::vector<RecordingCheck> checks = CheckRecordings(scores.table, FailedChecks(file));
  if (!checks.empty() && scores.problem.empty()) scores = RecordChecks(file, checks, std::cerr);
  if (!scores.problem.empty()) std::cerr << scores.problem << '\n';
  std::cout << FormatTable(scores.table);
  return std::cout.flush() ? 0 : 1;
}

// The settings file's settings, for --help (the player's own keys) and --board; it writes none.
Settings ExistingSettings(const Options& options) {
  const std::filesystem::path file = SettingsFile(options);
  std::error_code error;
  if (file.empty() || !std::filesystem::exists(file, error)) return {};
  return LoadSettings(file, std::cerr);
}

int PrintScoreBoards(const Options& options) {
  const Settings settings = ExistingSettings(options);
  if (!settings.boardUrl.empty())
    return PrintBoards(settings.boardUrl, UtcDateOf(std::time(nullptr)), std::cout, std::cerr);
  // No board printed is a failure to a script, also when the settings refused the address.
  std::cerr << "No score board is set: put its address after \"url =\" in the [board] section of "
            << Printable(SettingsFile(options).string()) << ".\n";
  return 1;
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
      std::cout << HelpText(ExistingSettings(options).bindings);
      return std::cout.flush() ? 0 : 1;
    case Request::Version:
      std::cout << VersionText();
      return std::cout.flush() ? 0 : 1;
    case Request::Scores:
      return PrintScores();
    case Request::Board:
      return PrintScoreBoards(options);
    case Request::Play:
      break;
  }
  const std::filesystem::path settingsFile = SettingsFile(options);
  // The player who names a file is told when it is made.
  const MissingFile missing = options.configFile ? MissingFile::CreateAndSay : MissingFile::Create;
  const Settings stored = settingsFile.empty() ? Settings{} : LoadSettings(settingsFile, std::cerr, missing);
  return options.replayFile ? WatchRecording(options, stored) : Play(options, settingsFile, stored);
}

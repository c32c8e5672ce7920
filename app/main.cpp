// The program a player starts: the command line and the settings, then the game on the SDL backend
// inside the player's session.
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/options.h"
#include "app/paths.h"
#include "app/scores.h"
#include "app/session.h"
#include "app/settings.h"
#include "game/game.h"
#include "game/startup.h"
#include "runtime/core/random.h"
#include "runtime/platform/sdl/sdl_platform.h"

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

int Play(const Options& options) {
  const std::filesystem::path settingsFile = SettingsFile(options);
  const Settings stored = settingsFile.empty() ? Settings{} : LoadSettings(settingsFile, std::cerr);
  const Settings settings = WithOptions(stored, options);

  const std::unique_ptr<rt::platform::SdlBackend> machine = rt::platform::CreateSdlBackend(WindowOptions(settings));
  if (const std::filesystem::path folder = ConfigFolder(); !folder.empty()) {
    machine->LoadPadMappings(folder / "gamecontrollerdb.txt");
  }
  SessionSetup setup{settings,
                     stored,
                     settingsFile,
                     DefaultScoresFile(),
                     DisplayAnswer(settings.display),
                     options.noSound,
                     [&machine] { machine->ToggleFullScreen(); }};
  Session session(machine->Facets(), std::move(setup), std::cerr);
  const rt::platform::ScopedBackend installed(session.Facets());
  session.Start();
  rt::RandomSeed(options.seed ? *options.seed : rt::platform::Clock().TickMs());
  return RunProgram(PlayGame);
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
      std::cout << FormatTable(LoadScores(DefaultScoresFile(), std::cerr));
      return std::cout.flush() ? 0 : 1;
    case Request::Play:
      break;
  }
  return Play(options);
}

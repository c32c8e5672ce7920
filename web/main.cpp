// The game in a browser page: the web backend, the player's session around the game (as on the
// desktop) with the player's files kept in the browser, touch zones beside the keyboard and
// controllers, and the panels beside the canvas; or a recording watched. A page loaded with a replay
// request (by a test) replays a script instead; see page_replay.h.
#include <emscripten.h>

#include <ctime>
#include <iostream>
#include <memory>
#include <optional>

#include "game/game.h"
#include "game/startup.h"
#include "game/snapshot.h"
#include "play/controls/touch_zones.h"
#include "play/daily.h"
#include "play/playback.h"
#include "play/session/session.h"
#include "runtime/core/random.h"
#include "runtime/platform/web/web_platform.h"
#include "runtime/sound/sound.h"
#include "web/page_json.h"
#include "web/page_link.h"
#include "web/page_panels.h"
#include "web/page_replay.h"

extern "C" {
// page_library.js: the page's touch zones call pellaris_page_touch(zones, ...) from now on.
void pellaris_page_listen_for_touch(void* zones);
}

namespace pellaris::web {

namespace {

using namespace pellaris::play;

const std::filesystem::path kSettingsFile = kPlayerFolder / "settings.ini";
const std::filesystem::path kScoresFile = kPlayerFolder / "scores";
const std::filesystem::path kReplaysFolder = kPlayerFolder / "replays";

// What the player reads under "Init Failed!" when the page cannot give the game a device.
std::string ExplainMissing(Device device) {
  switch (device) {
    case Device::Sprites:
      return "Could not show the game in this page.";
    case Device::Sound:
      return "Could not open the browser's audio: the game's sound needs Web Audio, which this browser "
             "does not offer.";
    case Device::Keyboard:
    case Device::Mouse:
      break;
  }
  return NameTheDevice(device);
}

std::optional<bool> DisplayAnswer(DisplayMode mode) {
  if (mode == DisplayMode::Ask) return std::nullopt;
  return mode == DisplayMode::Fullscreen;
}

const char* StorageName(Storage storage) {
  switch (storage) {
    case Storage::Kept:
      return "kept";
    case Storage::ThisVisit:
      return "this visit";
    case Storage::None:
      break;
  }
  return "none";
}

// Nobody edits the page's settings file by hand, so it is written with the first change rather than
// at the start, where the browser's storage would hold up the game.
Settings ReadSettings() {
  std::error_code error;
  return std::filesystem::exists(kSettingsFile, error) ? LoadSettings(kSettingsFile, std::cerr) : Settings{};
}

void ApplySound(const Settings& settings) {
  rt::SetSoundVolume(static_cast<float>(settings.volume) / static_cast<float>(kLargestVolume));
  rt::SetSoundMuted(settings.mute);
}

// The files are used whatever the browser keeps: without its storage they last this visit only.
int Play(rt::platform::WebBackend& page, Storage storage, const PageRequest& request) {
  const Settings stored = ReadSettings();
  page.SetFitScaling(stored.scaling == Scaling::Fit);
  const std::optional<UtcDate> daily =
      request.daily ? std::optional(UtcDateOf(std::time(nullptr))) : std::nullopt;
  // Chosen here rather than by the game's first random number, so that the recordings know it.
  const std::uint32_t seed = daily          ? DailySeed(*daily, kRulesVersion)
                             : request.seed ? *request.seed
                                            : page.Facets().clock->TickMs();
  TouchZones touch;
  pellaris_page_listen_for_touch(&touch);
  PagePanels* panels = nullptr;
  Session* session = nullptr;

  SessionSetup setup;
  setup.settings = stored;
  setup.storedSettings = stored;
  setup.settingsFile = kSettingsFile;
  setup.scoresFile = kScoresFile;
  setup.replaysFolder = stored.record ? kReplaysFolder : std::filesystem::path();
  setup.recording.program = PELLARIS_VERSION;
  setup.recording.rules = kRulesVersion;
  setup.recording.seed = seed;
  setup.everyRoundFromTheSeed = request.seed || daily;
  setup.fullScreen = DisplayAnswer(stored.display);
  if (stored.ghost) setup.ghost = GhostOfTheBest(LoadScores(kScoresFile, std::cerr).table, kReplaysFolder);
  setup.moreControls = &touch;
  setup.roundEnded = [&](std::int32_t score, const std::string& recording) {
    panels->RoundEnded(score, recording, session->Scores());
  };
  Session playing(page.Facets(), std::move(setup), std::cerr);
  session = &playing;

  PanelsSetup panelsSetup;
  panelsSetup.settings = stored;
  panelsSetup.settingsFile = kSettingsFile;
  panelsSetup.storage = StorageName(storage);
  panelsSetup.scaling = [&page](bool fit) { page.SetFitScaling(fit); };
  panelsSetup.seed = seed;
  panelsSetup.daily = daily;
  rt::platform::Backend facets = playing.Facets();
  PagePanels shown(*facets.clock, std::move(panelsSetup));
  panels = &shown;
  facets.clock = &shown;

  const rt::platform::ScopedBackend installed(facets);
  playing.Start();
  shown.Start(playing.Scores());
  rt::RandomSeed(seed);
  const int status = RunProgram(PlayGame, ExplainMissing);
  pellaris_page_listen_for_touch(nullptr);
  return status;
}

int WatchRecording(rt::platform::WebBackend& page, std::string& error) {
  const std::optional<std::string> text = WatchText(error);
  if (!text) return kExitFailed;
  const std::optional<Recording> recording = ReadRecording(*text, error);
  if (!recording) return kExitFailed;
  const Settings stored = ReadSettings();
  page.SetFitScaling(stored.scaling == Scaling::Fit);
  Watch watch(page.Facets(), *recording);
  const rt::platform::ScopedBackend installed(watch.Facets());
  ApplySound(stored);
  return watch.Run(ExplainMissing);
}

}  // namespace

}  // namespace pellaris::web

// Called by the page's touch zones: a finger down (`down` 1) or up in the left (`zone` 0) or right
// half, or every finger gone (`id` -1).
extern "C" EMSCRIPTEN_KEEPALIVE void pellaris_page_touch(void* zones, int id, int zone, int down) {
  using pellaris::play::TouchZone;
  auto& touch = *static_cast<pellaris::play::TouchZones*>(zones);
  if (id < 0) {
    touch.Clear();
  } else if (down) {
    touch.Down(id, zone == 0 ? TouchZone::Left : TouchZone::Right,
               pellaris::LookAtGame().screen == pellaris::Screen::Playing);
  } else {
    touch.Up(id);
  }
}

int main() {
  using namespace pellaris::web;
  if (ReplayRequested()) return RunPageReplay();
  const PageRequest request = ReadPageRequest();
  const Storage storage = OpenStorage();
  const std::unique_ptr<rt::platform::WebBackend> page = rt::platform::CreateWebBackend();
  if (!request.watch) {
    const int status = Play(*page, storage, request);
    page->ShowEnded();
    return status;
  }
  std::string error;
  const int status = WatchRecording(*page, error);
  page->ShowEnded();
  Tell("watched", JsonObject().Text("error", error).Done());
  return status;
}

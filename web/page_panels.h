// The panels beside the canvas, from the game's side: the player's settings, changed there and applied
// (the volume, mute and scaling at once; keys, buttons, the ghost and recording from the next visit),
// the high scores, the rounds that end, whether a round is in play (the screen is kept awake then) or
// under way (watching a recording would leave it), and whether a name the player gives the score board
// passes the board's rule. The work is done at the end of every frame, between the game's passes, as
// the files it writes may wait for the browser's storage.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "play/daily.h"
#include "play/store/scores.h"
#include "play/store/settings.h"
#include "runtime/platform/forwarding_facets.h"

namespace pellaris::web {

struct PanelsSetup {
  play::Settings settings;                // as the settings file has them
  std::filesystem::path settingsFile;     // where changes go
  const char* storage = "none";           // whether the browser keeps them: "kept", "this visit", "none"
  std::function<void(bool fit)> scaling;  // shows the picture with the new scaling
  std::uint32_t seed = 0;
  std::optional<play::UtcDate> daily;  // the day whose challenge is played
};

// The clock layer outside the player's session, doing the panels' work once a frame.
class PagePanels : public rt::platform::ForwardingClock {
 public:
  PagePanels(rt::platform::ClockFacet& clock, PanelsSetup setup);

  void FrameBoundary() override;

  // Tells the page all it shows, as the game starts.
  void Start(const play::ScoreTable& scores);
  // A round has ended with this score and recording (its file name, "" for none); the table after it.
  void RoundEnded(std::int32_t score, const std::string& recording, const play::ScoreTable& scores);

 private:
  void Apply(const std::string& request);
  void ChangeSetting(play::SettingName setting, std::string_view value);
  void CheckPlayerName(std::string_view name);
  void TellSettings();
  void TellIfChanged(const char* kind, bool now, bool& told);

  PanelsSetup setup_;
  // As the page was last told; a round paused is under way but not in play.
  bool muted_ = false, playing_ = false, underWay_ = false;
};

// The table for the page: [{score, date ("2026-12-08 15:30"), recording, verified}], best first.
std::string ScoresJson(const play::ScoreTable& table);

}  // namespace pellaris::web

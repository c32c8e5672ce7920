#include "web/page_panels.h"

#include <cstdio>
#include <iostream>
#include <vector>

#include "game/snapshot.h"
#include "play/controls/controls.h"
#include "play/format/player.h"
#include "runtime/core/date.h"
#include "runtime/sound/sound.h"
#include "web/page_json.h"
#include "web/page_link.h"

namespace pellaris::web {

namespace {

using play::Control;
using play::SettingName;

std::string DateText(rt::DateValue date) {
  char text[24];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", rt::DateYear(date), rt::DateMonth(date),
                rt::DateDay(date), rt::DateHour(date), rt::DateMinute(date));
  return text;
}

bool Same(SettingName a, SettingName b) {
  return a.section == b.section && a.name == b.name;
}

bool AboutTheSound(SettingName setting) {
  return Same(setting, play::kVolumeSetting) || Same(setting, play::kMuteSetting);
}

// The settings that show at once; the others are read as the game starts.
bool AppliesAtOnce(SettingName setting) {
  return AboutTheSound(setting) || Same(setting, play::kScalingSetting);
}

std::string ControlsJson(const play::Settings& settings) {
  std::vector<std::string> controls;
  for (Control control : play::kControls) {
    controls.push_back(JsonObject()
                           .Text("name", play::ControlName(control))
                           .Text("does", play::ControlDescription(control))
                           .Text("keys", play::KeyList(settings.bindings.Keys(control)))
                           .Text("controller", play::PadList(settings.bindings.Pad(control)))
                           .Done());
  }
  return JsonArray(controls);
}

// The request's fields between tabs; the last takes the rest of the line.
std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) break;
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.push_back(line);
  return fields;
}

}  // namespace

std::string ScoresJson(const play::ScoreTable& table) {
  std::vector<std::string> rounds;
  for (const play::ScoredRound& round : table.Best()) {
    rounds.push_back(JsonObject()
                         .Number("score", round.score)
                         .Text("date", DateText(round.date))
                         .Text("recording", round.recording)
                         .Flag("verified", round.verified)
                         .Done());
  }
  return JsonArray(rounds);
}

PagePanels::PagePanels(rt::platform::ClockFacet& clock, PanelsSetup setup)
    : ForwardingClock(clock), setup_(std::move(setup)) {}

void PagePanels::Start(const play::ScoreTable& scores) {
  JsonObject game;
  game.Number("seed", setup_.seed);
  if (setup_.daily) {
    game.Text("daily", play::DateText(*setup_.daily));
  } else {
    game.Null("daily");
  }
  Tell("game", game.Text("storage", setup_.storage).Done());
  TellSettings();
  Tell("scores", ScoresJson(scores));
}

void PagePanels::RoundEnded(std::int32_t score, const std::string& recording,
                            const play::ScoreTable& scores) {
  Tell("scores", ScoresJson(scores));
  Tell("round", JsonObject().Number("score", score).Text("recording", recording).Done());
}

void PagePanels::FrameBoundary() {
  next_.FrameBoundary();
  while (const std::optional<std::string> request = NextRequest()) Apply(*request);
  // M in the game changes the sound too, and the session keeps it in the file.
  if (rt::SoundMuted() != muted_) {
    setup_.settings.mute = rt::SoundMuted();
    TellSettings();
  }
  const Screen screen = LookAtGame().screen;
  TellIfChanged("playing", screen == Screen::Playing, playing_);
  TellIfChanged("under-way", screen == Screen::Playing || screen == Screen::Paused, underWay_);
}

void PagePanels::TellIfChanged(const char* kind, bool now, bool& told) {
  if (now == told) return;
  told = now;
  Tell(kind, now ? "true" : "false");
}

void PagePanels::Apply(const std::string& request) {
  constexpr std::string_view kName = "name\t";  // the rest of the line is the name, tabs and all
  if (request.starts_with(kName)) return CheckPlayerName(std::string_view(request).substr(kName.size()));
  const std::vector<std::string_view> fields = Fields(request, 4);
  if (fields.size() == 4 && fields[0] == "set") ChangeSetting(SettingName{fields[1], fields[2]}, fields[3]);
}

void PagePanels::ChangeSetting(SettingName setting, std::string_view value) {
  JsonObject answer;
  answer.Text("section", setting.section).Text("name", setting.name);
  std::string error;
  const std::optional<play::Settings> changed = play::ChangeSetting(setup_.settings, setting, value, error);
  if (!changed) {
    Tell("setting", answer.Flag("ok", false).Text("error", error).Done());
    return;
  }
  setup_.settings = *changed;
  const bool saved = setup_.settingsFile.empty() ||
                     play::StoreSetting(setup_.settingsFile, setup_.settings, setting, std::cerr);
  if (AboutTheSound(setting)) {
    rt::SetSoundVolume(static_cast<float>(changed->volume) / static_cast<float>(play::kLargestVolume));
    rt::SetSoundMuted(changed->mute);
  }
  if (Same(setting, play::kScalingSetting) && setup_.scaling) {
    setup_.scaling(changed->scaling == play::Scaling::Fit);
  }
  Tell("setting", answer.Flag("ok", true).Flag("saved", saved).Flag("atOnce", AppliesAtOnce(setting)).Done());
  TellSettings();
}

void PagePanels::CheckPlayerName(std::string_view name) {
  std::string problem;
  const std::optional<std::string> valid = play::ValidPlayerName(name, problem);
  Tell("name", valid ? JsonObject().Text("name", *valid).Done() : JsonObject().Text("error", problem).Done());
}

void PagePanels::TellSettings() {
  const play::Settings& s = setup_.settings;
  muted_ = rt::SoundMuted();
  static constexpr const char* kDisplay[] = {"ask", "fullscreen", "window"};
  Tell("settings", JsonObject()
                       .Number("volume", s.volume)
                       .Flag("mute", muted_)
                       .Text("scaling", s.scaling == play::Scaling::Fit ? "fit" : "integer")
                       .Text("display", kDisplay[static_cast<int>(s.display)])
                       .Flag("ghost", s.ghost)
                       .Flag("record", s.record)
                       .Raw("controls", ControlsJson(s))
                       .Done());
}

}  // namespace pellaris::web

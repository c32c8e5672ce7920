// Writes the manual page pellaris(6) from the same tables as the command line and the settings:
//   pellaris-manpage FILE
// The build runs it, so the page always lists the options and controls the program has.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "app/cli/options.h"
#include "play/controls/controls.h"
#include "play/controls/key_names.h"
#include "play/controls/pad_names.h"

namespace pellaris::app {

using namespace pellaris::play;
namespace {

// Text as roff prints it: backslashes escaped, '-' a minus sign (names are typed as they read), and a
// line never starting with a control character.
std::string Roff(std::string_view text, bool minusSigns = false) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && minusSigns) {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Names(std::span<const char* const> names) {
  std::string list;
  for (const char* name : names) list += (list.empty() ? "" : ", ") + Roff(name, true);
  return list;
}

std::string OptionsSection() {
  std::string text = ".SH OPTIONS\n";
  for (const OptionInfo& option : OptionTable()) {
    // Bold names; a value's name in italics after them: --scale=N
    std::string names = option.shortName ? "\\-" + std::string(1, option.shortName) + ", " : "";
    names += "\\-\\-" + Roff(option.name, true);
    text += ".TP\n";
    text += option.argument ? ".BI \"" + names + "=\" " + option.argument : ".B \"" + names + "\"";
    text += "\n" + Roff(option.help) + ".\n";
  }
  return text;
}

std::string ControlsSection() {
  const Bindings bindings = DefaultBindings();
  std::string text =
      ".SH CONTROLS\n"
      "Every control can have several keys and game controller inputs, set in the\n"
      ".B [keys]\n"
      "and\n"
      ".B [controller]\n"
      "sections of the settings file. The defaults:\n";
  for (Control control : kControls) {
    const std::string keys = KeyList(bindings.Keys(control)), pad = PadList(bindings.Pad(control));
    text += ".TP\n.B " + Roff(ControlName(control), true) + "\n" + Roff(ControlDescription(control)) +
            ". Keys: " + (keys.empty() ? "none" : Roff(keys, true)) +
            "; controller: " + (pad.empty() ? "none" : Roff(pad, true)) + ".\n";
  }
  text +=
      ".PP\n"
      "The right mouse button thrusts; the left one fires at most once every 12 frames and starts a round.\n"
      "Alt+Enter always switches between full screen and a window.\n"
      ".SS Key names\n"
      "Names are matched in any letter case.\n";
  std::string keys;
  for (const KeyName& key : KeyNames()) keys += (keys.empty() ? "" : ", ") + Roff(key.name, true);
  text += keys + ".\n";
  text +=
      ".SS Controller inputs\n"
      "Buttons: " +
      Names(PadButtonNames()) +
      ".\n"
      "Triggers: " +
      Names(PadTriggerNames()) +
      ".\n"
      "Stick directions: an axis followed by + or \\- (\\- is left or up): " +
      Names(PadStickAxisNames()) + ".\n";
  return text;
}

std::string ManualPage() {
  std::string version = VersionText();
  if (!version.empty() && version.back() == '\n') version.pop_back();
  // No hyphenation: most words here are names to be typed as they stand.
  return ".TH PELLARIS 6 \"\" \"" + Roff(version) + "\" \"Games\"\n" +
         ".nh\n"
         ".SH NAME\n"
         "pellaris \\- fly a small craft through drifting rocks and shoot them down\n"
         ".SH SYNOPSIS\n"
         ".B pellaris\n"
         ".RI [ OPTION ]...\n"
         ".SH DESCRIPTION\n"
         ".B pellaris\n"
         "is a fast arcade game. The craft stays near the left edge and moves only up and down,\n"
         "lifted by its thrust and pulled down by gravity, while rocks drift in from the right.\n"
         "Shoot them before they reach you, collect the bonuses, and score as much as you can\n"
         "in a round of two minutes. The ten best rounds are kept.\n" +
         OptionsSection() + ControlsSection() +
         ".SH FILES\n"
         ".TP\n"
         ".I $XDG_CONFIG_HOME/pellaris/settings.ini\n"
         "The settings: display, window size, scaling, sound, recordings, keys, controller and\n"
         "the score board.\n"
         "Without XDG_CONFIG_HOME, in\n"
         ".IR ~/.config/pellaris/ .\n"
         "Written with the defaults, each explained, when missing.\n"
         ".TP\n"
         ".I $XDG_DATA_HOME/pellaris/scores\n"
         "The high scores. Without XDG_DATA_HOME, in\n"
         ".IR ~/.local/share/pellaris/ .\n"
         "A damaged file is renamed to\n"
         ".I scores.damaged\\-N\n"
         "and kept.\n"
         ".TP\n"
         ".I $XDG_STATE_HOME/pellaris/replays/\n"
         "A recording of every round, named by its date and score (the last 50 and those of the\n"
         "high scores are kept). Without XDG_STATE_HOME, in\n"
         ".IR ~/.local/state/pellaris/ .\n"
         "Watch one with\n"
         ".BR \\-\\-replay ;\n"
         "check its score with\n"
         ".BR \"pellaris\\-replay \\-\\-verify\" .\n"
         ".TP\n"
         ".I $XDG_STATE_HOME/pellaris/outbox/\n"
         "Rounds waiting for the score board set in the settings\n"
         "([board] url, name); each goes, with the name and the install id, when the board\n"
         "answers, at the next start or after the next round.\n"
         ".TP\n"
         ".I $XDG_CONFIG_HOME/pellaris/gamecontrollerdb.txt\n"
         "Mappings of game controllers that SDL does not know, one SDL mapping a line.\n"
         ".SH EXIT STATUS\n"
         "0 when the game ends normally or after\n"
         ".BR \\-\\-help ,\n"
         ".BR \\-\\-version ,\n"
         ".B \\-\\-scores\n"
         "or\n"
         ".BR \\-\\-board ;\n"
         "1 when the game cannot start (no window, no sound device without\n"
         ".BR \\-\\-no\\-sound ),\n"
         "a recording cannot be read, or no score board is set or it cannot be reached;\n"
         "2 for an option that cannot be used.\n";
}

}  // namespace
}  // namespace pellaris::app

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: pellaris-manpage FILE\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << pellaris::app::ManualPage();
  out.close();
  if (!out) {
    std::cerr << "pellaris-manpage: cannot write " << argv[1] << "\n";
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}

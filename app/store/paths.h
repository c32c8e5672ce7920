// Where the program keeps its files: the XDG base folders, each with a "pellaris" folder inside.
#pragma once

#include <filesystem>
#include <string>

namespace pellaris::app {

// $XDG_CONFIG_HOME/pellaris, by default ~/.config/pellaris: the settings.
std::filesystem::path ConfigFolder();
// $XDG_DATA_HOME/pellaris, by default ~/.local/share/pellaris: the high scores.
std::filesystem::path DataFolder();
// $XDG_STATE_HOME/pellaris, by default ~/.local/state/pellaris: recordings and other history.
std::filesystem::path StateFolder();
// Each folder is empty when neither its variable nor $HOME nor the password database names an
// absolute folder; then nothing is read or written.

// The files in them: settings.ini, the high scores, the recordings' folder and the folder of rounds
// waiting for the score board; empty without a folder.
std::filesystem::path DefaultSettingsFile();
std::filesystem::path DefaultScoresFile();
std::filesystem::path ReplaysFolder();
std::filesystem::path OutboxFolder();

}  // namespace pellaris::app

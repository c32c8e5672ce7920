#include "app/store/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace pellaris::app {

namespace {

constexpr const char* kProgramFolder = "pellaris";

// XDG says a relative value is invalid and is to be ignored, like an unset one.
std::filesystem::path AbsoluteFromVariable(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::filesystem::path HomeFolder() {
  std::filesystem::path home = AbsoluteFromVariable("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') return entry->pw_dir;
  return {};
}

std::filesystem::path BaseFolder(const char* variable, const char* underHome) {
  std::filesystem::path base = AbsoluteFromVariable(variable);
  if (base.empty()) {
    const std::filesystem::path home = HomeFolder();
    if (home.empty()) return {};
    base = home / underHome;
  }
  return base / kProgramFolder;
}

}  // namespace

std::filesystem::path ConfigFolder() {
  return BaseFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path DataFolder() {
  return BaseFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path StateFolder() {
  return BaseFolder("XDG_STATE_HOME", ".local/state");
}

std::filesystem::path DefaultSettingsFile() {
  const std::filesystem::path folder = ConfigFolder();
  return folder.empty() ? folder : folder / "settings.ini";
}

std::filesystem::path DefaultScoresFile() {
  const std::filesystem::path folder = DataFolder();
  return folder.empty() ? folder : folder / "scores";
}

std::filesystem::path ReplaysFolder() {
  const std::filesystem::path folder = StateFolder();
  return folder.empty() ? folder : folder / "replays";
}

std::filesystem::path OutboxFolder() {
  const std::filesystem::path folder = StateFolder();
  return folder.empty() ? folder : folder / "outbox";
}

}  // namespace pellaris::app

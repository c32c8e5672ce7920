#include "app/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

bool CreateFolders(const std::filesystem::path& folder, std::string& error) {
  if (folder.empty()) {
    error = "no folder to create";
    return false;
  }
  std::filesystem::path partial;
  for (const std::filesystem::path& part : folder) {
    partial /= part;
    if (mkdir(partial.c_str(), 0700) == 0) continue;
    if (errno != EEXIST) {
      error = "cannot create " + partial.string() + ": " + std::strerror(errno);
      return false;
    }
    struct stat status {};
    if (stat(partial.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
      error = partial.string() + " is not a folder";
      return false;
    }
  }
  return true;
}

}  // namespace pellaris::app

// The random id that makes an install one player on the score boards, kept in the settings.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "play/store/settings.h"

namespace pellaris::app {

// 32 hexadecimal digits from the system's random source; "" when it gives none.
std::string NewInstallId();

// The settings' install id, made and stored into the file first when there is none. Problems are
// reported; the id is used for this run even when it could not be stored.
std::string EnsureInstallId(const std::filesystem::path& settingsFile, play::Settings& stored,
                            std::ostream& report);

}  // namespace pellaris::app

// The headless machine's running program: only its path, where the package installs it.
#pragma once

#include <string>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessProcess final : public ProcessFacet {
 public:
  std::string ProgramPath() override { return "/usr/games/pellaris"; }
};

}  // namespace rt::platform

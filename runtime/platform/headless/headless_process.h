// The headless machine's running program: only its path.
#pragma once

#include <string>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessProcess final : public ProcessFacet {
 public:
  std::string ProgramPath() override { return path_; }
  void SetProgramPath(const std::string& path) { path_ = path; }

 private:
  std::string path_ = "/usr/games/pellaris";
};

}  // namespace rt::platform

// The backend of the real game: SDL2 windows, full-screen presentation, events, cursor, audio and
// message boxes. SDL starts lazily, one part at a time, when first needed; every failure is a false or
// 0 result, never a crash.
#pragma once

#include <memory>

#include "runtime/platform/platform.h"

namespace rt::platform {

class SdlBackend {
 public:
  virtual ~SdlBackend() = default;
  // Every facet of the real machine, to install.
  virtual Backend Facets() = 0;
};

std::unique_ptr<SdlBackend> CreateSdlBackend();

}  // namespace rt::platform

// The backend of the real game: SDL2 windows, full-screen presentation, events, cursor, audio and
// message boxes. SDL starts lazily, one part at a time, when first needed; every failure is a false or
// 0 result, never a crash.
#pragma once

#include <memory>

#include "runtime/platform/platform.h"

namespace rt::platform {

std::unique_ptr<Platform> CreateSdlPlatform();

}  // namespace rt::platform

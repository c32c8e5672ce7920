// The runtime as a test runs it: a headless machine installed for the test's lifetime, the runtime
// started on it with the libraries the test names, and everything started ended (EndRuntime) before
// the machine goes, whatever the test started meanwhile and however it left.
#pragma once

#include <initializer_list>

#include "runtime/platform/headless/headless_platform.h"

namespace rt::test {

// The runtime's libraries with devices, each started by its own Init function.
enum class RuntimePart { Display, SpriteSystem, Keyboard, Sound, Mouse };

class HeadlessRuntime : public platform::InstalledHeadless {
 public:
  HeadlessRuntime() = default;
  ~HeadlessRuntime();

  // StartRuntime, then the parts in the order given; false as soon as one does not start. The parts
  // read the machine as they start, so a test sets the machine up first.
  bool Start(std::initializer_list<RuntimePart> parts = {});
};

}  // namespace rt::test

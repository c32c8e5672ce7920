#include "runtime/display/runtime.h"

#include <array>

#include "runtime/core/text.h"
#include "runtime/display/window.h"
#include "runtime/platform/platform.h"

namespace rt {

namespace {

std::array<EndRoutine, static_cast<std::size_t>(EndOrder::Count)> endRoutines{};

}  // namespace

void StartRuntime() {
  StartStringRuntime();
  StartWindowLibrary();
}

void EndRuntime() {
  // Forget the registrations first: an end routine that starts its library again registers anew.
  const auto routines = endRoutines;
  endRoutines.fill(nullptr);
  for (EndRoutine routine : routines) {
    if (routine) routine();
  }
}

void RegisterEndRoutine(EndOrder slot, EndRoutine routine) {
  const auto index = static_cast<std::size_t>(slot);
  if (index < endRoutines.size()) endRoutines[index] = routine;
}

std::string ProgramFilename() {
  return platform::Get().ProgramPath();
}

}  // namespace rt

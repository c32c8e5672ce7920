// The runtime's state, owned in one place. Every library keeps its part here, made when the library
// first needs it and destroyed when the runtime ends (EndRuntime in runtime/runtime.h ends the
// libraries in their fixed order first), so nothing outlives the runtime and a test starts afresh
// with one call. A part's type is the library's own business: here it is only a LibraryState.
#pragma once

#include <memory>

#include "runtime/core/object_table.h"
#include "runtime/core/signal.h"

namespace rt {

class LibraryState {
 public:
  virtual ~LibraryState() = default;
};

struct RuntimeState {
  // Core's services.
  std::unique_ptr<LibraryState> text, random, dates;
  // The libraries above core, in the order the game starts them.
  std::unique_ptr<LibraryState> images, png, drawing, windows, keyboard, display, sprites, mouse, sound;

  // What lower libraries announce to the ones above them.
  Signal<> screenClosing;       // the screen is about to close: sprites made for it go
  Signal<> displayDeactivated;  // the full-screen display lost the focus: the mouse lets go
  Signal<ObjectNumber> soundStarted;
};

RuntimeState& Runtime();

// Destroys every part, last started first, and forgets every listener.
void ResetRuntimeState();

// A library's part of the state, made on first use.
template <typename Part>
Part& PartOf(std::unique_ptr<LibraryState>& slot) {
  if (!slot) slot = std::make_unique<Part>();
  return static_cast<Part&>(*slot);
}

// A library's part if it has been made, else nullptr.
template <typename Part>
Part* FindPart(const std::unique_ptr<LibraryState>& slot) {
  return static_cast<Part*>(slot.get());
}

}  // namespace rt

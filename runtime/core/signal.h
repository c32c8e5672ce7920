// A call that goes up the stack: a library announces something, and the libraries above it that
// listen are told in the order they connected. Any number may listen; connecting twice is once.
#pragma once

#include <algorithm>
#include <vector>

namespace rt {

template <typename... Args>
class Signal {
 public:
  using Listener = void (*)(Args...);

  void Connect(Listener listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
      listeners_.push_back(listener);
  }
  void Disconnect(Listener listener) { std::erase(listeners_, listener); }

  void Emit(Args... args) const {
    // A copy: a listener may disconnect itself, or another, while being told.
    const std::vector<Listener> listeners = listeners_;
    for (Listener listener : listeners) listener(args...);
  }

 private:
  std::vector<Listener> listeners_;
};

}  // namespace rt

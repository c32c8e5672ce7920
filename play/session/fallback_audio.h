// The sound output with --no-sound: the machine's device when there is one, else an output that
// takes everything and plays nothing, so that the game starts on a machine without sound.
#pragma once

#include "runtime/platform/platform.h"

namespace pellaris::play {

class FallbackAudio : public rt::platform::AudioFacet {
 public:
  explicit FallbackAudio(rt::platform::AudioFacet* machine) : machine_(machine) {}

  bool OpenAudio(rt::platform::AudioCallback callback, void* user,
                 rt::platform::AudioFormat& obtained) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;
  bool Silent() const { return silent_; }

 private:
  rt::platform::AudioFacet* machine_;  // nullptr: the machine has no audio at all
  bool silent_ = false;
};

}  // namespace pellaris::play

#include "play/session/fallback_audio.h"

namespace pellaris::play {

// The silent output asks for nothing, so the mixer's sounds wait for a device that never comes:
// they are dropped as new ones arrive.
bool FallbackAudio::OpenAudio(rt::platform::AudioCallback callback, void* user,
                              rt::platform::AudioFormat& obtained) {
  silent_ = !machine_ || !machine_->OpenAudio(callback, user, obtained);
  if (silent_) obtained = {44100, 2, rt::platform::SampleFormat::S16};
  return true;
}

void FallbackAudio::CloseAudio() {
  if (!silent_ && machine_) machine_->CloseAudio();
  silent_ = false;
}

void FallbackAudio::LockAudio() {
  if (!silent_ && machine_) machine_->LockAudio();
}

void FallbackAudio::UnlockAudio() {
  if (!silent_ && machine_) machine_->UnlockAudio();
}

}  // namespace pellaris::play

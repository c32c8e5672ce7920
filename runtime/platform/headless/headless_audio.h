// The headless machine's audio device: it plays nothing by itself; a test renders what the program's
// callback produces.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessAudio final : public AudioFacet {
 public:
  bool OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) override;
  void CloseAudio() override;
  void LockAudio() override { ++locks_; }
  void UnlockAudio() override { --locks_; }

  void SetAudioFormat(const AudioFormat& format) { format_ = format; }  // 44100 Hz, stereo, S16 by default
  void SetAudioAvailable(bool available) { available_ = available; }
  bool AudioOpen() const { return callback_ != nullptr; }
  int AudioLockDepth() const { return locks_; }
  // Runs the audio callback for `frames` frames and returns what it produced (empty with no audio
  // open or another sample type).
  std::vector<std::int16_t> RenderAudio(int frames);
  std::vector<float> RenderAudioFloat(int frames);

 private:
  std::vector<std::uint8_t> RenderBytes(int frames, SampleFormat sample);

  bool available_ = true;
  AudioFormat format_{44100, 2, SampleFormat::S16};
  AudioCallback callback_ = nullptr;
  void* user_ = nullptr;
  int locks_ = 0;
};

}  // namespace rt::platform

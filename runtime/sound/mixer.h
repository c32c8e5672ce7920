// Mixes one voice per sound into the audio device's stream. The voice table belongs to the audio
// thread while it renders; the game thread changes it only inside the platform's audio lock, in
// short steps that neither allocate nor free sample data on the audio side. Sample data stays
// owned by the game thread: once RemoveVoice returns, the mixer no longer touches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt {

class Mixer {
 public:
  using VoiceId = std::size_t;

  Mixer() = default;
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Game thread. Opens the platform's audio stream with this mixer as its callback; false when no
  // device can be opened or its layout cannot be mixed.
  bool Open();
  void Close();
  const platform::AudioFormat& Format() const { return format_; }
  // Game thread. A stopped voice over `bytes` of samples in the device's format (whole frames).
  VoiceId AddVoice(const std::uint8_t* samples, std::size_t bytes);
  void RemoveVoice(VoiceId voice);
  // Game thread. Stops the voice if it is playing, rewinds it and plays it once.
  void Restart(VoiceId voice);

 private:
  // Audio thread: fills `frames` frames of the device's format, saturating the sum of the voices.
  void Render(std::uint8_t* out, int frames);
  static void Callback(void* user, std::uint8_t* out, int frames);

  struct Voice {
    const std::uint8_t* samples = nullptr;
    std::size_t frames = 0;
    std::size_t position = 0;  // next frame to play
    bool playing = false;
    bool inUse = false;
  };

  template <typename Sample, typename Sum>
  void MixVoices(std::uint8_t* out, std::size_t frames);
  template <typename Sample, typename Sum>
  void AddVoiceTo(Voice& voice, Sum* sums, std::size_t frames) const;

  platform::AudioFormat format_;
  std::vector<Voice> voices_;
};

}  // namespace rt

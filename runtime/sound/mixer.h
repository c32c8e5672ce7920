// Mixes one voice per sound into the audio device's stream, in floating point: the voices are summed
// with headroom, scaled by the master gain and passed through a soft limiter, so that loud overlaps
// never reach full scale while a single sound below the limiter's threshold comes out untouched.
//
// A start is heard when it was asked for, not when the device next asks for samples: each request
// carries the clock's counter, and the callback places it at the matching frame of the block it
// renders, one block's time later. A voice restarted while playing fades its old playback out over
// a millisecond and a half instead of cutting it.
//
// The voice table belongs to the audio thread while it renders; the game thread changes it only
// inside the platform's audio lock, in short steps that neither allocate nor free sample data on the
// audio side. Sample data stays owned by the game thread: once RemoveVoice returns, the mixer no
// longer touches it.
#pragma once

#include <array>
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
  // Game thread. A stopped voice over `frames` frames of float samples in the device's rate and
  // channel layout.
  VoiceId AddVoice(const float* samples, std::size_t frames);
  void RemoveVoice(VoiceId voice);
  // Game thread. Plays the voice from its beginning, starting at this moment of the clock as the
  // output hears it; a playback still going fades out meanwhile.
  void Restart(VoiceId voice);
  // Game thread. The factor on the whole mix, 0 to 1. A running stream moves to it over a few
  // milliseconds, so a change never clicks; before Open it applies at once.
  void SetGain(float gain);

 private:
  // Audio thread: fills `frames` frames of the device's format.
  void Render(std::uint8_t* out, int frames);
  static void Callback(void* user, std::uint8_t* out, int frames);

  // Starts asked for and not yet placed in a block. More restarts of one voice than this within a
  // block only happen when the stream stalls; the oldest then gives way.
  static constexpr std::size_t kPendingStarts = 8;

  struct Playback {
    std::size_t position = 0;  // next frame to play
    bool playing = false;
    float gain = 1.0f;      // a fading playback's level, falling by `fadeStep` a frame
    float fadeStep = 0.0f;  // 0 for a playback that is not fading
  };

  struct Voice {
    const float* samples = nullptr;
    std::size_t frames = 0;
    bool inUse = false;
    Playback current;
    Playback fading;  // the previous playback, faded out after a restart
    std::array<std::uint64_t, kPendingStarts> pending{};  // counter values, oldest first
    std::size_t pendingCount = 0;
  };

  // Maps request times onto the frames of the block being rendered, a fixed delay later: a block
  // covers the requests made from a little before the previous callback on. The callbacks' times
  // are tracked through a smoothed estimate, so the device's jitter does not move the starts.
  class Schedule {
   public:
    // The counter value the block's first frame stands for.
    std::uint64_t BeginBlock(std::uint64_t now, std::uint64_t frequency, int rate, std::size_t frames);
    // The frame of the block at which a request made at `time` starts: 0 for one already due,
    // `frames` or more for one that belongs to a later block.
    std::size_t Offset(std::uint64_t time) const;
    void Reset() { anchored_ = false; }

   private:
    bool anchored_ = false;
    std::uint64_t anchor_ = 0;  // the estimated counter value of the previous callback
    std::uint64_t lastNow_ = 0;  // the counter value the previous callback read
    std::uint64_t windowStart_ = 0;
    std::uint64_t frequency_ = 0;
    int rate_ = 0;
  };

  void StartDue(std::size_t frame);
  std::size_t NextStart(std::size_t after) const;
  void MixSpan(float* out, std::size_t frames);
  void AddPlayback(const Voice& voice, Playback& playback, float* sums, std::size_t frames) const;
  void Finish(float* mix, std::size_t frames);
  void Store(const float* mix, std::uint8_t* out, std::size_t frames) const;

  platform::AudioFormat format_;
  std::vector<Voice> voices_;
  Schedule schedule_;
  std::size_t fadeFrames_ = 1;
  // Master gain: the level in use and the level it moves to.
  float gain_ = 1.0f, targetGain_ = 1.0f, gainStep_ = 0.0f;
  // The limiter's envelope: the mix's peak, released slowly.
  float envelope_ = 0.0f, release_ = 0.0f;
};

}  // namespace rt

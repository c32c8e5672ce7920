#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

namespace {

constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;
// About 23 ms. The mixer places each start at its moment within a block, so the block size is only
// latency, not timing; 512 and 256 frames underran on PulseAudio on a loaded machine, 1024 did not.
constexpr Uint16 kAudioFrames = 1024;

bool Playable(const SDL_AudioSpec& device) {
  return (device.freq == 44100 || device.freq == 48000) && device.channels == kAudioChannels &&
         (device.format == AUDIO_S16SYS || device.format == AUDIO_F32SYS);
}

}  // namespace

void SdlAudio::FillAudio(void* user, Uint8* stream, int length) {
  auto* self = static_cast<SdlAudio*>(user);
  self->callback_(self->user_, stream, length / self->frameBytes_);
}

// The device's own rate (44.1 or 48 kHz) and sample type (16-bit or float) are taken as they are;
// anything else is converted by SDL from 44.1 kHz 16-bit stereo.
bool SdlAudio::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!callback || device_ != 0 || !sdl_.EnsureAudio()) return false;
  callback_ = callback;
  user_ = user;
  SDL_AudioSpec desired{};
  desired.freq = kAudioRate;
  desired.format = AUDIO_S16SYS;
  desired.channels = kAudioChannels;
  desired.samples = kAudioFrames;
  desired.callback = &SdlAudio::FillAudio;
  desired.userdata = this;
  SDL_AudioSpec got{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &desired, &got,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE);
  if (device_ != 0 && !Playable(got)) {
    SDL_CloseAudioDevice(device_);
    device_ = SDL_OpenAudioDevice(nullptr, 0, &desired, &got, 0);
  }
  if (device_ == 0) {
    callback_ = nullptr;
    return false;
  }
  obtained =
      AudioFormat{got.freq, got.channels, got.format == AUDIO_F32SYS ? SampleFormat::F32 : SampleFormat::S16};
  frameBytes_ = obtained.BytesPerFrame();
  sdl_.SetAudioDevice(device_);
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::CloseAudio() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);  // waits for a running callback
  device_ = 0;
  callback_ = nullptr;
  sdl_.SetAudioDevice(0);
}

void SdlAudio::LockAudio() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void SdlAudio::UnlockAudio() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

}  // namespace rt::platform

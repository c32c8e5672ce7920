#include "runtime/sound/sound.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/mixer.h"
#include "runtime/sound/pcm_convert.h"
#include "runtime/sound/wav.h"

namespace rt {

namespace {

constexpr int kTableStep = 64;

struct Sound {
  std::vector<float> samples;  // the whole sound at the device's rate and channels
  Mixer::VoiceId voice = 0;
};

struct SoundLibrary : LibraryState {
  ObjectTable<Sound> table{kTableStep, FreeSound};
  std::unique_ptr<Mixer> mixer;  // present while the device is open
  float volume = 1.0f;
  bool muted = false;
};

SoundLibrary* Library() {
  return FindPart<SoundLibrary>(Runtime().sound);
}

// Converts once, at load, so that the mixer only adds samples: floats, whatever the device takes,
// since the mix is made in floating point.
bool ConvertToDevice(const WavSamples& wav, const platform::AudioFormat& device, std::vector<float>& out) {
  return ConvertPcmToFloat(wav.data, wav.bytes, wav.format, device.rate, device.channels, out) && !out.empty();
}

float MixerGain(const SoundLibrary& library) {
  return library.muted ? 0.0f : library.volume;
}

}  // namespace

int InitSoundSystem() {
  SoundLibrary& library = PartOf<SoundLibrary>(Runtime().sound);
  if (library.mixer) return 1;
  auto mixer = std::make_unique<Mixer>();
  mixer->SetGain(MixerGain(library));
  if (!mixer->Open()) return 0;
  library.mixer = std::move(mixer);
  return 1;
}

void EndSoundSystem() {
  SoundLibrary* library = Library();
  if (!library) return;
  library->table.ResetIteration();
  ObjectNumber number = 0;
  while (library->table.Next(&number)) FreeSound(number);
  // The voices are gone, so the callback touches no sample data while the device closes.
  if (library->mixer) library->mixer->Close();
  Runtime().sound.reset();
}

ObjectNumber LoadSoundFromMemory(ObjectNumber number, const void* image, std::size_t length) {
  SoundLibrary* library = Library();
  if (!library || !library->mixer) return 0;
  // Everything is checked and converted before the table is touched, so a failed load keeps the
  // number's earlier sound.
  WavSamples wav;
  std::vector<float> samples;
  if (!ReadWav(image, length, wav) || !ConvertToDevice(wav, library->mixer->Format(), samples)) return 0;
  ObjectNumber assigned = 0;
  Sound* sound = library->table.Allocate(number, &assigned);
  if (!sound) return 0;
  sound->samples = std::move(samples);
  const auto channels = static_cast<std::size_t>(library->mixer->Format().channels);
  sound->voice = library->mixer->AddVoice(sound->samples.data(), sound->samples.size() / channels);
  return number == kAutomaticObject ? assigned : 1;
}

Signal<ObjectNumber>& SoundStarts() {
  return Runtime().soundStarted;
}

int PlaySoundEffect(ObjectNumber number) {
  SoundLibrary* library = Library();
  if (!library || !library->mixer) return 0;
  const Sound* sound = library->table.Get(number);
  if (!sound) return 0;
  library->mixer->Restart(sound->voice);
  SoundStarts().Emit(number);
  return 1;
}

void SetSoundVolume(float volume) {
  SoundLibrary& library = PartOf<SoundLibrary>(Runtime().sound);
  library.volume = volume >= 0.0f ? std::min(volume, 1.0f) : 0.0f;  // NaN too becomes silence
  if (library.mixer) library.mixer->SetGain(MixerGain(library));
}

float SoundVolume() {
  const SoundLibrary* library = Library();
  return library ? library->volume : 1.0f;
}

void SetSoundMuted(bool muted) {
  SoundLibrary& library = PartOf<SoundLibrary>(Runtime().sound);
  library.muted = muted;
  if (library.mixer) library.mixer->SetGain(MixerGain(library));
}

bool SoundMuted() {
  const SoundLibrary* library = Library();
  return library && library->muted;
}

void FreeSound(ObjectNumber number) {
  SoundLibrary* library = Library();
  if (!library) return;
  const Sound* sound = library->table.Get(number);
  if (!sound) return;
  library->mixer->RemoveVoice(sound->voice);
  // The samples go with the record, now that the mixer has let go of them.
  library->table.Free(number);
}

}  // namespace rt

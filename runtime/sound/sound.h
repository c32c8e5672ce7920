// Numbered sound effects loaded from WAV images in memory. Each number owns one voice holding the
// whole sound: playing it fades out what it was playing and plays it again from the start, so a
// sound never overlaps itself, while different numbers play together. A sound starts at the moment
// it is played, as the output hears it (a fixed delay later), not at the device's next buffer.
// Playback does not depend on which window has the focus.
#pragma once

#include <cstddef>

#include "runtime/core/object_table.h"
#include "runtime/core/signal.h"

namespace rt {

// Creates the sound table and opens the audio device (once); 0 when no device can be opened.
int InitSoundSystem();
// Closes the library: frees every sound, then closes the device. Safe after a partial start.
void EndSoundSystem();

// Loads a PCM WAV image (8-bit unsigned or 16-bit signed, mono or stereo) under a number, or under
// a new automatic number for -1, replacing what the number held. Returns 0 on failure, leaving the
// number's earlier sound in place; otherwise the automatic number for -1, or 1.
ObjectNumber LoadSoundFromMemory(ObjectNumber number, const void* image, std::size_t length);
// 1 when the sound started from its beginning, 0 when there is no such sound.
int PlaySoundEffect(ObjectNumber number);
// Tells its listeners of every sound that starts, on the game's thread (the replay tool logs them).
Signal<ObjectNumber>& SoundStarts();
// Releases the sound under a number; nothing happens for an empty number.
void FreeSound(ObjectNumber number);

// The level of everything played, from 0 to 1 (the default: sounds as loaded), as a factor on the
// samples; values outside are clamped. A change, like muting and unmuting, ramps over a few
// milliseconds instead of clicking, and applies to sounds already playing. Muting keeps the volume
// for when it ends. Both may be set before InitSoundSystem; EndSoundSystem forgets them.
void SetSoundVolume(float volume);
float SoundVolume();
void SetSoundMuted(bool muted);
bool SoundMuted();

}  // namespace rt

#include <emscripten.h>

#include <cstring>

#include "runtime/platform/web/web_facets.h"
#include "runtime/platform/web/web_library.h"

namespace rt::platform {

// Stereo floats at the page's rate: our converter resamples the sounds once, when they are loaded.
bool WebAudio::OpenAudio(AudioCallback callback, void* user, AudioFormat& obtained) {
  if (!callback || callback_) return false;
  const int rate = pellaris_web_open_audio(this);
  if (rate <= 0) return false;
  callback_ = callback;
  user_ = user;
  obtained = AudioFormat{rate, 2, SampleFormat::F32};
  return true;
}

void WebAudio::CloseAudio() {
  if (!callback_) return;
  pellaris_web_close_audio();
  callback_ = nullptr;
  user_ = nullptr;
}

void WebAudio::Fill(float* out, int frames) {
  if (callback_) {
    callback_(user_, reinterpret_cast<std::uint8_t*>(out), frames);
  } else {
    std::memset(out, 0, static_cast<std::size_t>(frames) * 2 * sizeof(float));
  }
}

}  // namespace rt::platform

// Called by the page's audio node for each block it plays.
extern "C" EMSCRIPTEN_KEEPALIVE void pellaris_web_fill_audio(void* owner, float* out, int frames) {
  static_cast<rt::platform::WebAudio*>(owner)->Fill(out, frames);
}

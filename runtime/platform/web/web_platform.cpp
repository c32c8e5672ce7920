#include "runtime/platform/web/web_platform.h"

#include <emscripten.h>

#include <cstdlib>

#include "runtime/platform/web/web_facets.h"
#include "runtime/platform/web/web_library.h"
#include "runtime/platform/web/web_page.h"

namespace rt::platform {

namespace {

// The page first: the facets use it until they are gone.
class WebMachine : public WebBackend {
 public:
  Backend Facets() override { return Backend{&video_, &input_, &audio_, &clock_, &dialogs_, &process_}; }
  void ShowEnded() override { pellaris_web_ended(); }
  void SetFitScaling(bool fit) override { pellaris_web_set_fit(fit ? 1 : 0); }

 private:
  WebPage page_;
  WebVideo video_{page_};
  WebInput input_{page_};
  WebAudio audio_;
  WebClock clock_;
  WebDialogs dialogs_{page_};
  WebProcess process_;
};

}  // namespace

std::unique_ptr<WebBackend> CreateWebBackend() {
  return std::make_unique<WebMachine>();
}

void ShowOnCanvas(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
  pellaris_web_start();
  std::vector<std::uint32_t> rgba;
  ToCanvasBytes(pixels, width, height, pitchBytes, rgba);
  pellaris_web_present(rgba.data(), width, height, 0, 0, width, height, 1);
}

bool ReadCanvas(std::vector<std::uint32_t>& pixels, int width, int height) {
  pixels.resize(static_cast<std::size_t>(width) * height);
  if (!pellaris_web_read_canvas(pixels.data(), width, height)) return false;
  for (std::uint32_t& pixel : pixels) pixel = FromCanvasBytes(pixel);
  return true;
}

bool ReadReplayRequest(ReplayRequest& request) {
  std::uint32_t seed = 0;
  int answerYes = 0, frames = 0;
  char* script = nullptr;
  if (!pellaris_web_replay_request(&seed, &answerYes, &frames, &script)) return false;
  request.seed = seed;
  request.answerYes = answerYes != 0;
  request.frames = frames;
  request.script = script ? script : "";
  std::free(script);
  return true;
}

void ReportReplayLine(const std::string& kind, const std::string& line) {
  pellaris_web_replay_line(kind.c_str(), line.c_str());
}

void ReportReplayDone(int status) {
  pellaris_web_replay_done(status);
}

void YieldToPage() {
  emscripten_sleep(0);
}

}  // namespace rt::platform

#include "web/page_replay.h"

#include <sstream>
#include <string>
#include <vector>

#include "play/format/script.h"
#include "play/machine.h"
#include "play/replay.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/web/web_platform.h"

namespace pellaris::web {

namespace {

// Keeps the page alive: it handles its events and paints every few passes.
constexpr int kPassesBetweenYields = 10;

play::ReplayOptions OptionsFor(const rt::platform::ReplayRequest& request, play::ParseResult script) {
  play::ReplayOptions options;
  options.seed = request.seed;
  options.answerYes = request.answerYes;
  options.frames = request.frames;
  options.Take(std::move(script));
  return options;
}

// Each picture shown on the canvas and read back from it.
class Canvas {
 public:
  Canvas() : hashes_([](const std::string& line) { rt::platform::ReportReplayLine("canvas", line); }) {}

  void Show(const rt::platform::PresentedFrame& frame) {
    rt::platform::ShowOnCanvas(frame.pixels.data(), frame.width, frame.height, frame.width * 4);
    if (!rt::platform::ReadCanvas(held_, frame.width, frame.height)) held_.assign(held_.size(), 0xFFFFFFFFu);
    hashes_.Shown(frame.frame,
                  rt::platform::HashPixels(held_.data(), frame.width, frame.height, frame.width * 4));
  }
  void Finish() { hashes_.Finish(); }

 private:
  play::PassHashes hashes_;
  std::vector<std::uint32_t> held_;
};

}  // namespace

bool ReplayRequested() {
  rt::platform::ReplayRequest request;
  return rt::platform::ReadReplayRequest(request);
}

int RunPageReplay() {
  rt::platform::ReplayRequest request;
  rt::platform::ReadReplayRequest(request);
  play::ParseResult script = play::ParseScript(request.script);
  if (!script.error.empty()) {
    rt::platform::ReportReplayLine("errors", script.error);
    rt::platform::ReportReplayDone(2);
    return 2;
  }
  play::ReplayOptions options = OptionsFor(request, std::move(script));
  Canvas canvas;
  options.presented = [&canvas](const rt::platform::PresentedFrame& frame) { canvas.Show(frame); };
  std::ostringstream presented;
  play::RunReplay(
      options, nullptr,
      [](const play::FrameRecord& record) {
        if (record.frame % kPassesBetweenYields == 0) rt::platform::YieldToPage();
      },
      &presented);
  canvas.Finish();
  std::istringstream lines(presented.str());
  for (std::string line; std::getline(lines, line);) rt::platform::ReportReplayLine("presented", line);
  rt::platform::ReportReplayDone(0);
  return 0;
}

}  // namespace pellaris::web

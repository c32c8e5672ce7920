#include "web/page_replay.h"

#include <vector>

#include "game/game.h"
#include "game/startup.h"
#include "runtime/core/random.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/platform/web/web_platform.h"
#include "runtime/runtime.h"
#include "tools/replay/machine.h"

namespace pellaris::web {

namespace {

using rt::platform::HeadlessPlatform;

// Unwinds the game out of FlipBuffers when the requested number of frames has run.
struct EndOfReplay {};

// Keeps the page alive: it handles its events and paints every few passes.
constexpr int kPassesBetweenYields = 10;

// The headless machine's video, with every picture also shown on the page's canvas and read back.
class CanvasVideo : public rt::platform::HeadlessVideo {
 public:
  CanvasVideo(HeadlessPlatform& machine, replay::PassHashes& presented, replay::PassHashes& shown)
      : HeadlessVideo(machine), presented_(presented), shown_(shown) {}

  void Present(rt::platform::WindowId window, const std::uint32_t* pixels, int width, int height,
               int pitchBytes, const rt::platform::Rect& dest) override {
    const int presents = machine_.PresentCount();
    HeadlessVideo::Present(window, pixels, width, height, pitchBytes, dest);
    if (machine_.PresentCount() == presents) return;  // not shown: no such window
    const int pass = machine_.FrameCount();
    presented_.Shown(pass, rt::platform::HashPixels(pixels, width, height, pitchBytes));
    rt::platform::ShowOnCanvas(pixels, width, height, pitchBytes);
    if (!rt::platform::ReadCanvas(canvas_, width, height)) canvas_.assign(canvas_.size(), 0xFFFFFFFFu);
    const std::uint64_t onCanvas = rt::platform::HashPixels(canvas_.data(), width, height, width * 4);
    shown_.Shown(pass, onCanvas);
  }

 private:
  replay::PassHashes& presented_;
  replay::PassHashes& shown_;
  std::vector<std::uint32_t> canvas_;
};

}  // namespace

bool ReplayRequested() {
  rt::platform::ReplayRequest request;
  return rt::platform::ReadReplayRequest(request);
}

int RunPageReplay() {
  rt::platform::ReplayRequest request;
  rt::platform::ReadReplayRequest(request);
  const replay::ParseResult script = replay::ParseScript(request.script);
  if (!script.error.empty()) {
    rt::platform::ReportReplayLine("errors", script.error);
    rt::platform::ReportReplayDone(2);
    return 2;
  }

  // As pellaris-replay sets up its machine.
  HeadlessPlatform machine;
  machine.SetFramesPerSecond(60);
  machine.SetDefaultYesNoAnswer(request.answerYes ? rt::platform::MessageAnswer::Yes
                                                  : rt::platform::MessageAnswer::No);
  replay::ScheduleScript(machine, script.events);
  machine.SetKeptFrames(0);
  replay::PassHashes presented(
      [](const std::string& line) { rt::platform::ReportReplayLine("presented", line); });
  replay::PassHashes shown([](const std::string& line) { rt::platform::ReportReplayLine("canvas", line); });
  CanvasVideo video(machine, presented, shown);
  rt::platform::Backend facets = machine.Facets();
  facets.video = &video;
  const rt::platform::ScopedBackend installed(facets);
  rt::RandomSeed(request.seed);

  machine.SetFrameCallback([&](int flip) {
    if (request.frames > 0 && flip == request.frames + 1) throw EndOfReplay{};
    if (flip % kPassesBetweenYields == 0) rt::platform::YieldToPage();
  });
  try {
    RunProgram(PlayGame);
  } catch (const EndOfReplay&) {
    rt::EndRuntime();
  }
  presented.Finish();
  shown.Finish();
  rt::platform::ReportReplayDone(0);
  return 0;
}

}  // namespace pellaris::web

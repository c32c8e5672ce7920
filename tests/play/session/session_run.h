// One run of the real game in a player's session on the headless machine, for the session's tests.
#pragma once

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/startup.h"
#include "play/session/session.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "tests/support/temporary_folder.h"

namespace pellaris::play {

using rt::platform::Action;
using rt::platform::HeadlessPlatform;

constexpr int kKeyP = 0x19, kKeyM = 0x32, kKeyEnter = 0x1C;
constexpr int kFramesPerSecond = 60;

// Thrown from the frame callback to end a run at the frame asked for.
struct Stop {};

// One run of the game in a session, until the frame given, with the machine's actions and a look at
// the game after each frame.
class SessionRun {
 public:
  SessionRun() {
    setup_.settingsFile = folder_.Path() / "settings.ini";
    setup_.scoresFile = folder_.Path() / "scores";
    setup_.fullScreen = false;
  }

  SessionSetup& Setup() { return setup_; }
  HeadlessPlatform& Machine() { return machine_; }
  const std::filesystem::path& Folder() const { return folder_.Path(); }
  std::string Report() const { return report_.str(); }
  void Press(int frame, int key) {
    machine_.At(frame, Action::KeyDown(key));
    machine_.At(frame + 1, Action::KeyUp(key));
  }
  void Run(int frames, const std::function<void(int frame, Session&)>& look = nullptr) {
    Session session(machine_.Facets(), setup_, report_);
    machine_.SetFrameCallback([&](int frame) {
      if (look) look(frame, session);
      if (frame >= frames) throw Stop{};
    });
    const rt::platform::ScopedBackend installed(session.Facets());
    session.Start();
    rt::RandomSeed(setup_.recording.seed);
    try {
      RunProgram(PlayGame);
    } catch (const Stop&) {
      rt::EndRuntime();
    }
  }

 private:
  TemporaryFolder folder_;
  HeadlessPlatform machine_;
  SessionSetup setup_;
  std::ostringstream report_;
};

// Whether the picture last shown differs from the game's own in rows top .. bottom - 1: what the
// session drew over it.
inline bool ShownDiffersFromGame(const HeadlessPlatform& machine, int top, int bottom) {
  const rt::Surface* game = rt::BlitTarget();
  if (!game || !machine.LastFrame()) return false;
  const std::vector<std::uint32_t>& shown = machine.LastFrame()->pixels;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < game->Width(); ++x) {
      if (shown[static_cast<std::size_t>(y) * game->Width() + x] != game->RowAs<std::uint32_t>(y)[x])
        return true;
    }
  }
  return false;
}

}  // namespace pellaris::play

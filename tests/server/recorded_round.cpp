#include "recorded_round.h"

#include "tests/play/session/session_run.h"

namespace pellaris::board {

std::string RecordRound(std::uint32_t seed, RoundLength length) {
  using play::Action;
  constexpr int kLeftCtrl = 0x1D, kSpace = 0x39;
  play::SessionRun run;
  run.Setup().replaysFolder = run.Folder() / "replays";
  run.Setup().recording.program = "test";
  run.Setup().recording.seed = seed;
  run.Press(2, play::kKeyEnter);
  run.Machine().At(40, Action::KeyDown(kLeftCtrl));
  int lastPass = 1100;
  if (length == RoundLength::Short) {
    run.Machine().At(150, Action::JumpClock(110));  // the round's last ten seconds
    run.Machine().At(300, Action::KeyDown(kSpace));
    run.Machine().At(330, Action::KeyUp(kSpace));
  } else {
    for (int pass = 60; pass < 7200; pass += 45) {  // thrust in pulses, to climb and fall
      run.Machine().At(pass, Action::KeyDown(kSpace));
      run.Machine().At(pass + 18, Action::KeyUp(kSpace));
    }
    lastPass = 12000;  // stopwatches add ten seconds each
  }
  run.Run(lastPass);
  std::string text;
  for (const std::string& name : FolderEntries(run.Folder() / "replays")) {
    text = ReadWhole(run.Folder() / "replays" / name);
  }
  return text.find(" end ") == std::string::npos ? "" : text;
}

std::string Changed(std::string recording, const std::string& what, const std::string& by) {
  const std::size_t at = recording.find(what);
  return at == std::string::npos ? recording : recording.replace(at, what.size(), by);
}

}  // namespace pellaris::board

// The page's replay mode, which shows that the page plays the very game of the desktop: the game runs
// as pellaris-replay runs it (play::RunReplay: the headless machine, a virtual clock, the player's
// actions from a script through the default controls, or a recording as it was played), and every
// picture also goes through the page's canvas. For each pass the page reports the hash of the picture
// the game presented and the hash of what the canvas then held, in the lines of pellaris-replay
// --hashes. A test asks for it by setting Module.pellarisReplay before the page loads: {seed, answer:
// 'yes'|'no', frames, script: the script's or the recording's text}.
#pragma once

namespace pellaris::web {

bool ReplayRequested();
// Runs the replay; 0 when done, 2 for a script that does not read.
int RunPageReplay();

}  // namespace pellaris::web

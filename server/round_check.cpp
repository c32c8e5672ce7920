#include "server/round_check.h"

#include "play/playback.h"

namespace pellaris::board {

namespace {

std::optional<play::Recording> Read(std::string_view text, RoundCheck& check) {
  std::string error;
  std::optional<play::Recording> recording = play::ReadRecording(text, error);
  if (!recording) {
    check.problem = error;
    return std::nullopt;
  }
  if (recording->header.format != play::kRecordingFormat) {
    check.problem = "a recording of format " + std::to_string(recording->header.format) +
                    " holds a whole session; the board takes rounds that stand alone (format " +
                    std::to_string(play::kRecordingFormat) + ")";
    return std::nullopt;
  }
  check.readable = true;
  check.rulesVersion = recording->header.rules;
  check.seed = recording->header.seed;
  check.date = recording->header.date;
  check.claimedScore = recording->claimedScore;
  return recording;
}

std::string WhyNot(const play::Verdict& verdict) {
  if (!verdict.startPlausible) return "no game of its seed starts a round as it does";
  if (!verdict.roundOver) return "the round is not over where it ends";
  return "re-played, it reaches " + std::to_string(verdict.score) + ", not the score it claims";
}

}  // namespace

RoundCheck ReadRound(std::string_view recordingText) {
  RoundCheck check;
  Read(recordingText, check);
  return check;
}

RoundCheck CheckRound(std::string_view recordingText) {
  RoundCheck check;
  const std::optional<play::Recording> recording = Read(recordingText, check);
  if (!recording || check.rulesVersion != kRulesVersion) return check;
  const play::Verdict verdict = play::VerifyRecording(*recording);
  check.replayedScore = verdict.score;
  check.verified = verdict.Verified();
  check.startsAsTheSeed = verdict.startsAsTheSeed;
  if (!check.verified) check.unverified = WhyNot(verdict);
  return check;
}

}  // namespace pellaris::board

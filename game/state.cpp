#include "game/state.h"

#include "runtime/core/date.h"

namespace pellaris {

float craftX = 0.0f;
float craftY = 0.0f;
float craftSpeedY = 0.0f;
std::int16_t craftHeight = 0;
std::int32_t craftOnGround = 0;
std::int16_t fireCooldown = 0;
std::int32_t score = 0;
std::int32_t flashLevel = 0;
std::int32_t roundEndTime = 0;
std::int32_t gameOver = 0;
std::int32_t restartRequested = 0;
float warningPhase = 0.0f;
float backdropX = 0.0f;
std::int32_t lastEvent = 0;
Screen shownScreen = Screen::Title;

rt::StringVariable text;

namespace {
constexpr std::int16_t kStartFireCooldown = 30;
}  // namespace

void AssignText(const char* value) {
  rt::AssignStringLiteral(text, value);
}
const char* TextData() {
  return text.Text();
}

void AssignTextWithNumber(const char* prefix, std::int32_t number) {
  const rt::TextPosition start = rt::AccumulatorTop();
  rt::AppendString(prefix);
  rt::NumberToString(number);
  rt::AssignString(text, start);
}

void AssignTextWithTime(const char* prefix, std::int32_t seconds) {
  const rt::TextPosition start = rt::AccumulatorTop();
  rt::AppendString(prefix);
  rt::FormatDate("%ii:%ss", seconds);
  rt::AssignString(text, start);
}

void ClearGameState() {
  craftX = craftY = craftSpeedY = 0.0f;
  craftHeight = 0;
  craftOnGround = 0;
  fireCooldown = 0;
  score = flashLevel = roundEndTime = gameOver = restartRequested = 0;
  warningPhase = backdropX = 0.0f;
  lastEvent = 0;
  shownScreen = Screen::Title;
  text = rt::StringVariable();
}

void SetStartValues() {
  craftSpeedY = 0.0f;
  score = 0;
  backdropX = 0.0f;
  fireCooldown = kStartFireCooldown;
}

}  // namespace pellaris

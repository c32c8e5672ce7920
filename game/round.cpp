#include "game/round.h"

#include <cmath>
#include <optional>

#include "game/arithmetic.h"
#include "game/asset_numbers.h"
#include "game/craft.h"
#include "game/entities.h"
#include "game/field.h"
#include "game/state.h"
#include "runtime/core/date.h"
#include "runtime/core/timing.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/drawing.h"

namespace pellaris {

namespace {

constexpr int kWarningSeconds = 30;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kHudGrey = 0xC8C8C8;

int RemainingSeconds() {
  return roundEndTime - rt::CurrentDate();
}

// The text line centred, the fraction of the margin dropped.
void DrawCentred(int y, std::uint32_t color = kWhite) {
  rt::DrawTextAt((kFieldWidth - rt::TextWidth(TextData())) / 2, y, TextData(), color, 0);
}

void DrawHudBox() {
  rt::DrawBox(0, kGroundLine, kFieldWidth, kFieldHeight - kGroundLine,
              MakeColor(flashLevel + 20, flashLevel + 20, flashLevel + 70));
}

void DrawWarning() {
  rt::SetDrawingMode(1);
  AssignText("WARNING!");
  const int red = Round(std::cos(warningPhase * 3.141592f / 180.0f) * 200.0f + 220.0f);
  DrawCentred(200, MakeColor(red, 20, 20));
  warningPhase = warningPhase + 1.0f;
  if (RemainingSeconds() <= 0) {
    gameOver = 1;
    flashLevel = 255;
  }
}

void DrawHud() {
  if (!rt::BeginDrawing(rt::ScreenTarget())) return;
  DrawHudBox();
  AssignTextWithNumber("Score: ", score);
  rt::DrawTextAt(0, 0, TextData(), kHudGrey, 0);
  AssignTextWithTime("Remaining Time: ", RemainingSeconds());
  rt::DrawTextAt(kFieldWidth - rt::TextWidth(TextData()), 0, TextData(), kHudGrey, 0);
  if (RemainingSeconds() <= kWarningSeconds) DrawWarning();
  rt::EndDrawing();
}

// Returns true when Enter asks for the next round.
bool DrawGameOver() {
  if (!rt::BeginDrawing(rt::ScreenTarget())) return false;
  DrawHudBox();
  rt::DrawLine(0, kGroundLine, kFieldWidth, 1, MakeColor(flashLevel + 50, flashLevel + 50, flashLevel + 100));
  AssignTextWithNumber("Time is over. Your Score is ", score);
  DrawCentred(200);
  AssignText("Press Enter To Play Again");
  DrawCentred(230);
  const bool restart = rt::KeyDown(rt::kKeyEnter) != 0;
  if (restart) restartRequested = 1;
  rt::EndDrawing();
  return restart;
}

void PausedFrame() {
  if (rt::BeginDrawing(rt::ScreenTarget())) {
    AssignText("GAME PAUSED");
    DrawCentred(200);
    rt::EndDrawing();
  }
  rt::ReleaseMouse(1);
  rt::SleepMs(20);
  shownScreen = Screen::Paused;
}

}  // namespace

void SetUpRound() {
  ListClear(entities);
  warningPhase = 0.0f;
  flashLevel = 0;
  gameOver = 0;
  score = 0;
  roundEndTime = rt::CurrentDate() + kRoundSeconds;
  for (int i = 0; i < kStartRocks; ++i) InsertEntity(KindRock);
}

namespace {

void DrawBackdropAndCraft() {
  rt::DrawSprite(kStarfieldSprite, Round(backdropX), 0);
  rt::DrawSprite(kStarfieldCopySprite, Round(backdropX + static_cast<float>(kFieldWidth)), 0);
  rt::DrawSprite(kCraftSprite, Round(craftX), Round(craftY));
}

void ScrollBackdrop() {
  backdropX = backdropX + (-0.4f);
  if (backdropX < -static_cast<float>(kFieldWidth)) backdropX = 0.0f;
}

}  // namespace

bool ActiveFrame() {
  rt::ReleaseMouse(0);
  flashLevel = Round(static_cast<float>(flashLevel) / 1.2f);
  restartRequested = 0;
  rt::ReadMouse();
  rt::ReadKeyboard();
  shownScreen = gameOver == 1 ? Screen::GameOver : Screen::Playing;
  if (gameOver == 1) {
    if (DrawGameOver()) return false;
  } else {
    DrawHud();
  }
  DrawBackdropAndCraft();
  if (gameOver == 0) {
    EntityPass();
    BonusRoll();
  }
  CraftStep();
  ScrollBackdrop();
  return true;
}

namespace {

// A pass after its flip; the round's result when the pass ends it.
std::optional<RoundResult> PassAfterFlip() {
  rt::ClearScreen(MakeColor(flashLevel, flashLevel, flashLevel));
  if (rt::ScreenActive()) {
    if (!ActiveFrame()) return RoundResult::Restart;
  } else {
    PausedFrame();
  }
  // A close request always quits, also one that comes before the first active frame after a
  // restart (restartRequested may still be set then).
  if (rt::KeyDown(rt::kKeyEscape) || lastEvent == rt::kEventCloseRequest) return RoundResult::Quit;
  return std::nullopt;
}

RoundResult PlayRound() {
  for (;;) {
    lastEvent = rt::PollWindowEvent();
    rt::FlipBuffers();
    if (const std::optional<RoundResult> result = PassAfterFlip()) return *result;
  }
}

}  // namespace

RoundResult RunRound() {
  SetUpRound();
  return PlayRound();
}

RoundResult ResumeRound() {
  rt::FlipBuffers();
  if (const std::optional<RoundResult> result = PassAfterFlip()) return *result;
  return PlayRound();
}

}  // namespace pellaris

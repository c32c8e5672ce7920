#include "game/title.h"

#include "game/arithmetic.h"
#include "game/asset_numbers.h"
#include "game/field.h"
#include "game/state.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/sprites/blit.h"
#include "runtime/sprites/drawing.h"
#include "runtime/sprites/sprite.h"

namespace pellaris {

namespace {

struct TitleLine {
  const char* text;
  int advance;  // added to the running position before the line
};
constexpr TitleLine kTitleLines[] = {
    {"Programmed By Varro", 20},
    {"Graphics By Brask", 20},
    {"Special Thanks To tolvik & Halvard", 25},
    {"Released At Duskline Demo Party 2007", 70},
    {"Press Enter To Start", 85},
};
constexpr int kFirstLinePosition = 40;

void DrawTitleTexts() {
  if (!rt::BeginDrawing(rt::ScreenTarget())) return;
  const std::uint32_t white = MakeColor(255, 255, 255);
  rt::SetFrontColor(white);
  int position = kFirstLinePosition;
  for (const TitleLine& line : kTitleLines) {
    AssignText(line.text);
    position += line.advance;
    rt::DrawTextAt((kFieldWidth - rt::TextWidth(TextData())) / 2, position, TextData(), white, 0);
  }
  rt::EndDrawing();
}

}  // namespace

void MakeStarfield() {
  if (rt::BeginDrawing(rt::SpriteTarget(kStarfieldSprite))) {
    for (int row = 1; row < kFieldHeight; ++row) {
      const int x = rt::RandomInt(kFieldWidth - 1);
      // Stars behind the status bar are dimmer.
      const int level = rt::RandomInt(row <= kGroundLine ? 230 : 100);
      rt::DrawPoint(x, row, MakeColor(level, level, level));
    }
    rt::EndDrawing();
  }
  rt::CopySprite(kStarfieldSprite, kStarfieldCopySprite);
}

TitleResult RunTitleScreen() {
  for (;;) {
    rt::FlipBuffers();
    shownScreen = Screen::Title;
    rt::ClearScreen(0);
    lastEvent = rt::PollWindowEvent();
    rt::DrawSprite(kLogoSprite, (kFieldWidth - rt::SpriteWidth(kLogoSprite)) / 2, 20);
    DrawTitleTexts();
    // The mouse is read here too, so that the left button starts play as well as Enter.
    rt::ReadMouse();
    rt::ReadKeyboard();
    if (rt::KeyDown(rt::kKeyEscape) || lastEvent == rt::kEventCloseRequest) return TitleResult::Quit;
    if (rt::MouseButtonDown(rt::kMouseLeft) || rt::KeyDown(rt::kKeyEnter)) return TitleResult::Play;
  }
}

}  // namespace pellaris

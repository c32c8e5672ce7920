// The game's state: one block of variables shared by the title screen, the rounds, the craft and the
// entities (the entity list itself lives with the entities). Everything is zero and the text empty
// until start-up sets the start values.
#pragma once

#include <cstdint>

#include "game/snapshot.h"
#include "runtime/core/text.h"

namespace pellaris {

extern float craftX;                // left edge in screen pixels; fixed once the craft is loaded
extern float craftY;                // top edge; 0 is the top of the screen
extern float craftSpeedY;           // pixels per frame, positive downwards
extern std::int16_t craftHeight;    // height of the craft picture
extern std::int32_t craftOnGround;  // 0 or 1: the craft's bottom was below the ground line
extern std::int16_t fireCooldown;   // frames until the rate-limited fire inputs work again
extern std::int32_t score;
extern std::int32_t flashLevel;        // background flash brightness, 0..255
extern std::int32_t roundEndTime;      // date value in seconds
extern std::int32_t gameOver;          // 0 or 1
extern std::int32_t restartRequested;  // 0 or 1
extern float warningPhase;             // degrees
extern float backdropX;                // horizontal position of the scrolling starfield
extern std::int32_t lastEvent;         // the frame's window event

extern Screen shownScreen;

extern rt::StringVariable text;  // the line of text being drawn
void AssignText(const char* value);
const char* TextData();
// `prefix` followed by the number in decimal; built in the string accumulator without allocating.
void AssignTextWithNumber(const char* prefix, std::int32_t number);
// `prefix` followed by seconds shown through the mask "%ii:%ss".
void AssignTextWithTime(const char* prefix, std::int32_t seconds);

// Everything back to zero and the text empty, as at process start.
void ClearGameState();
// The start values set right after the runtime starts.
void SetStartValues();

}  // namespace pellaris

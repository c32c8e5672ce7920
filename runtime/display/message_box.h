// A modal message box with a title, a text and a choice of buttons.
#pragma once

namespace rt {

inline constexpr int kMessageOk = 0;     // flags: an OK button
inline constexpr int kMessageYesNo = 4;  // flags: Yes and No buttons
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerInterrupted = 0;  // the program was asked to end while the box was up

// Title first, then the text. Returns the pressed button's answer; other flags show an OK button.
int ShowMessage(const char* title, const char* text, int flags = kMessageOk);

}  // namespace rt

#include "play/answered_dialogs.h"

namespace pellaris::play {

rt::platform::MessageAnswer AnsweredDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                                            rt::platform::MessageButtons buttons) {
  const bool displayQuestion =
      title == "Fullscreen / Windowed" && buttons == rt::platform::MessageButtons::YesNo;
  if (displayQuestion && fullScreen_) {
    return *fullScreen_ ? rt::platform::MessageAnswer::Yes : rt::platform::MessageAnswer::No;
  }
  const rt::platform::MessageAnswer answer = machine_.ShowMessageBox(title, text, buttons);
  // Only a No opens a window, as the game has it.
  if (displayQuestion) fullScreen_ = answer != rt::platform::MessageAnswer::No;
  return answer;
}

}  // namespace pellaris::play

#include "app/answered_dialogs.h"

namespace pellaris::app {

rt::platform::MessageAnswer AnsweredDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                                            rt::platform::MessageButtons buttons) {
  if (fullScreen_ && title == "Fullscreen / Windowed" && buttons == rt::platform::MessageButtons::YesNo) {
    return *fullScreen_ ? rt::platform::MessageAnswer::Yes : rt::platform::MessageAnswer::No;
  }
  return machine_.ShowMessageBox(title, text, buttons);
}

}  // namespace pellaris::app

#include "runtime/platform/headless/headless_dialogs.h"

#include "runtime/platform/headless/headless_platform.h"

namespace rt::platform {

MessageAnswer HeadlessDialogs::ShowMessageBox(const std::string& title, const std::string& text,
                                              MessageButtons buttons) {
  MessageAnswer answer = buttons == MessageButtons::YesNo ? yesNoDefault_ : MessageAnswer::Ok;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  messages_.push_back(ShownMessage{title, text, buttons, machine_.Video().FocusedWindow(), answer});
  return answer;
}

}  // namespace rt::platform

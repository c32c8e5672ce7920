#include "runtime/display/message_box.h"

#include "runtime/platform/platform.h"

namespace rt {

int ShowMessage(const char* title, const char* text, int flags) {
  using platform::MessageAnswer;
  const auto buttons =
      flags == kMessageYesNo ? platform::MessageButtons::YesNo : platform::MessageButtons::Ok;
  switch (platform::Dialogs().ShowMessageBox(title ? title : "", text ? text : "", buttons)) {
    case MessageAnswer::Yes:
      return kAnswerYes;
    case MessageAnswer::No:
      return kAnswerNo;
    case MessageAnswer::Interrupted:
      return kAnswerInterrupted;
    case MessageAnswer::Ok:
      break;
  }
  return kAnswerOk;
}

}  // namespace rt

// The headless machine's message boxes: each is recorded and answered at once, from answers a test
// queued first, then by default (Ok for an Ok box, No for Yes/No).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

class HeadlessPlatform;

struct ShownMessage {
  std::string title, text;
  MessageButtons buttons = MessageButtons::Ok;
  WindowId owner = 0;  // the focused window when the box came up
  MessageAnswer answer = MessageAnswer::Ok;
};

class HeadlessDialogs final : public DialogFacet {
 public:
  explicit HeadlessDialogs(HeadlessPlatform& machine) : machine_(machine) {}
  MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                               MessageButtons buttons) override;

  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  void SetDefaultYesNoAnswer(MessageAnswer answer) { yesNoDefault_ = answer; }
  const std::vector<ShownMessage>& Messages() const { return messages_; }

 private:
  HeadlessPlatform& machine_;
  std::deque<MessageAnswer> answers_;
  MessageAnswer yesNoDefault_ = MessageAnswer::No;
  std::vector<ShownMessage> messages_;
};

}  // namespace rt::platform

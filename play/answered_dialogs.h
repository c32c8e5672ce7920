// Message boxes in a player's session: the start-up question between full screen and a window is
// answered by the player's choice on the command line or in the settings, when they made one; every
// other message is shown as usual.
#pragma once

#include <optional>
#include <string>

#include "runtime/platform/platform.h"

namespace pellaris::play {

class AnsweredDialogs : public rt::platform::DialogFacet {
 public:
  // `fullScreen`: the answer to the display question, or nothing to ask it.
  AnsweredDialogs(rt::platform::DialogFacet& machine, std::optional<bool> fullScreen)
      : machine_(machine), fullScreen_(fullScreen) {}

  rt::platform::MessageAnswer ShowMessageBox(const std::string& title, const std::string& text,
                                             rt::platform::MessageButtons buttons) override;
  // Whether the game went full screen: the answer given to the display question, asked or not.
  bool FullScreen() const { return fullScreen_.value_or(false); }

 private:
  rt::platform::DialogFacet& machine_;
  std::optional<bool> fullScreen_;
};

}  // namespace pellaris::play

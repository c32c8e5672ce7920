#include "runtime/display/message_box.h"

#include <gtest/gtest.h>

#include "tests/runtime/display/test_machine.h"

namespace rt::test {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;

TEST(MessageBoxTest, OkOnlyAnswersOne) {
  TestMachine machine;
  EXPECT_EQ(ShowMessage("Init Failed!", "Can't open DirectX 7 or later"), kAnswerOk);
  ASSERT_EQ(machine.Messages().size(), 1u);
  EXPECT_EQ(machine.Messages()[0].title, "Init Failed!");
  EXPECT_EQ(machine.Messages()[0].text, "Can't open DirectX 7 or later");
  EXPECT_EQ(machine.Messages()[0].buttons, MessageButtons::Ok);
}

TEST(MessageBoxTest, YesAndNoAnswerSixAndSeven) {
  TestMachine machine;
  machine.QueueAnswer(MessageAnswer::Yes);
  machine.QueueAnswer(MessageAnswer::No);
  EXPECT_EQ(ShowMessage("t", "q", kMessageYesNo), kAnswerYes);
  EXPECT_EQ(ShowMessage("t", "q", kMessageYesNo), kAnswerNo);
  EXPECT_EQ(machine.Messages()[0].buttons, MessageButtons::YesNo);
}

TEST(MessageBoxTest, OtherFlagsShowJustOk) {
  TestMachine machine;
  machine.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(ShowMessage("t", "q", 3), kAnswerYes);
  EXPECT_EQ(machine.Messages()[0].buttons, MessageButtons::Ok);
}

TEST(MessageBoxTest, NullTextsAreEmpty) {
  TestMachine machine;
  ShowMessage(nullptr, nullptr);
  EXPECT_EQ(machine.Messages()[0].title, "");
  EXPECT_EQ(machine.Messages()[0].text, "");
}

}  // namespace
}  // namespace rt::test

#include "runtime/display/message_box.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace rt::testing {
namespace {

using platform::MessageAnswer;

TEST(MessageBoxTest, OkOnlyAnswersOne) {
  FakePlatformScope scope;
  scope.fake.answers = {MessageAnswer::Ok};
  EXPECT_EQ(ShowMessage("Init Failed!", "Can't open DirectX 7 or later"), kAnswerOk);
  ASSERT_EQ(scope.fake.messages.size(), 1u);
  EXPECT_EQ(scope.fake.messages[0], "Init Failed!|Can't open DirectX 7 or later");
}

TEST(MessageBoxTest, YesAndNoAnswerSixAndSeven) {
  FakePlatformScope scope;
  scope.fake.answers = {MessageAnswer::Yes, MessageAnswer::No};
  EXPECT_EQ(ShowMessage("t", "q", kMessageYesNo), kAnswerYes);
  EXPECT_EQ(ShowMessage("t", "q", kMessageYesNo), kAnswerNo);
}

TEST(MessageBoxTest, NullTextsAreEmpty) {
  FakePlatformScope scope;
  ShowMessage(nullptr, nullptr);
  EXPECT_EQ(scope.fake.messages[0], "|");
}

}  // namespace
}  // namespace rt::testing

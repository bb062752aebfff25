#include "common/ui_services.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/scripted_ui.h"

namespace tk {
namespace {

TEST(UiServices, WithoutServicesQuestionsGetTheSafeAnswer) {
  EXPECT_FALSE(AskYesNo("Quit?"));
  int remembered = 0;
  EXPECT_EQ(AskYesNoCancel(&remembered, "Overwrite %s?", "a.jpg"), kAnswerCancel);
}

TEST(UiServices, RememberedAnswerSkipsTheQuestion) {
  testing::ScriptedUi ui;
  ui.yesNoCancel.push_back({kAnswerNo, true});
  int remembered = 0;
  SetLastError(kErrorTimeout);
  EXPECT_EQ(AskYesNoCancel(&remembered, "Overwrite %s?", "a.jpg"), kAnswerNo);
  EXPECT_EQ(GetLastError(), kErrorTimeout);  // the box keeps the error number
  EXPECT_EQ(remembered, kAnswerNo);
  EXPECT_EQ(AskYesNoCancel(&remembered, "Overwrite %s?", "b.jpg"), kAnswerNo);
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_EQ(ui.events[0].text, "Overwrite a.jpg?");
}

TEST(UiServices, TickedCancelAndOtherAnswersAreNotRemembered) {
  testing::ScriptedUi ui;
  ui.yesNoCancel.push_back({kAnswerCancel, true});
  ui.yesNoCancel.push_back({42, true});
  ui.yesNoCancel.push_back({kAnswerYes, false});
  int remembered = 0;
  EXPECT_EQ(AskYesNoCancel(&remembered, "q"), kAnswerCancel);
  EXPECT_EQ(AskYesNoCancel(&remembered, "q"), kAnswerCancel);
  EXPECT_EQ(AskYesNoCancel(&remembered, "q"), kAnswerYes);
  EXPECT_EQ(remembered, 0);
  // Without a slot the box offers no tick box, so nothing is remembered.
  ui.yesNoCancel.push_back({kAnswerYes, true});
  EXPECT_EQ(AskYesNoCancel(nullptr, "q"), kAnswerYes);
}

}  // namespace
}  // namespace tk

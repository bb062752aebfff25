#include "terrakon/geodesy/coord_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "terrakon/config/settings_table.h"
#include "tests/geodesy/geodesy_fixture.h"

namespace tk {
namespace {

class CoordChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    SetChoiceListener([this](ChoiceChange c) { changes.push_back(c); });
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    SetChoiceListener({});
    SetCurrentDatum(0);
    SetCurrentCoordSys(0);
    SetCurrentDegType(0);
  }

  std::vector<ChoiceChange> changes;
};

TEST_F(CoordChoiceTest, SettersNormaliseAndTellOnlyChanges) {
  SetCurrentDatum(-5);  // becomes 0, the current one
  SetCurrentCoordSys(0);
  SetCurrentDegType(0);
  EXPECT_TRUE(changes.empty());
  SetCurrentDatum(7);
  SetCurrentCoordSys(-100);
  SetCurrentDegType(2);
  EXPECT_EQ(CurrentChoice().datum, 7);
  EXPECT_EQ(CurrentChoice().coordSys, 33);
  EXPECT_EQ(CurrentChoice().degType, 2);
  SetCurrentCoordSys(33);
  EXPECT_EQ(changes, (std::vector{ChoiceChange::kDatum, ChoiceChange::kCoordSys,
                                  ChoiceChange::kDegType}));
}

TEST_F(CoordChoiceTest, SettingsAreReadAndWritten) {
  testing::Settings s;
  SetCurrentCoordSys(5);
  LoadChoice(s.link);  // nothing stored: the defaults, the system stays the current one
  EXPECT_EQ(CurrentChoice().datum, 0);
  EXPECT_EQ(CurrentChoice().coordSys, 5);
  EXPECT_EQ(settings::CoordSys.Get(s.link, 0), 5);  // the read created the key

  settings::DatumNum.Set(s.link, -3);
  settings::CoordSys.Set(s.link, -100);
  settings::DegType.Set(s.link, 1);
  LoadChoice(s.link);
  EXPECT_EQ(CurrentChoice().datum, 0);
  EXPECT_EQ(CurrentChoice().coordSys, 33);
  EXPECT_EQ(CurrentChoice().degType, 1);

  SetCurrentDatum(12);
  SaveChoice(s.link);
  EXPECT_EQ(settings::DatumNum.Get(s.link), 12);
  EXPECT_EQ(settings::CoordSys.Get(s.link, 0), 33);
  EXPECT_EQ(settings::DegType.Get(s.link), 1);
}

}  // namespace
}  // namespace tk

#include "terrakon/geodesy/places.h"

#include <gtest/gtest.h>

#include "terrakon/config/config_item.h"
#include "terrakon/geodesy/coord_format.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/support/scripted_ui.h"

namespace tk {
namespace {

class PlacesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseShippedEngine();
    places = PlacesItem(settings.link);
    ASSERT_NE(places, nullptr);
  }

  testing::Settings settings;
  HConfigItem* places = nullptr;
};

TEST_F(PlacesTest, AddedPlacesAreListedSortedWithTheirCoordinates) {
  const PixelPoint far{(int64_t{1} << 37) + (int64_t{1} << 36), (int64_t{1} << 37) + 123456789};
  ASSERT_TRUE(AddPlace(places, "Zeta", {kWorldSize / 2, kWorldSize / 2}));
  ASSERT_TRUE(AddPlace(places, "Alpha", far));
  ASSERT_EQ(places, settings.link.LinkItem()->FindItem("Places"));
  const std::vector<PlaceLine> lines = PlaceLines(places);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "Alpha: " + FormatCoord(far, 0, 0, 0, ","));
  EXPECT_EQ(lines[0].position, 1u);
  EXPECT_EQ(lines[1].text, "Zeta: N   0 00 0.0000,W   0 00 0.0000");
  EXPECT_EQ(lines[1].position, 0u);
  // Points beyond 2^31 come back whole.
  const auto back = PlacePoint(places, lines[0].position);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->X, far.X);
  EXPECT_EQ(back->Y, far.Y);
}

TEST_F(PlacesTest, AddingAKnownNameUpdatesItsPoint) {
  ASSERT_TRUE(AddPlace(places, "Home", {1, 2}));
  ASSERT_TRUE(AddPlace(places, "Home", {3, 4}));
  ASSERT_EQ(places->ItemCount(), 1u);
  EXPECT_EQ(PlacePoint(places, 0)->X, 3);
  EXPECT_FALSE(AddPlace(places, "", {1, 2}));
  EXPECT_EQ(places->ItemCount(), 1u);
}

TEST_F(PlacesTest, NamesWithSeparatorsStayOnePlace) {
  ASSERT_TRUE(AddPlace(places, "Camp 1/North\\East", {5, 6}));
  ASSERT_EQ(places->ItemCount(), 1u);
  EXPECT_EQ(places->ItemAt(0)->ItemCount(), 3u);  // Name, X, Y only
  EXPECT_EQ(places->ItemAt(0)->GetString("Name", ""), "Camp 1/North\\East");
}

TEST_F(PlacesTest, RenameKeepsTheKeyAndEmptyNamesShowUnknown) {
  ASSERT_TRUE(AddPlace(places, "Old", {kWorldSize / 2, kWorldSize / 2}));
  ASSERT_TRUE(RenamePlace(places, 0, "New"));
  EXPECT_EQ(places->ItemAt(0)->ItemName(), "Old");
  EXPECT_EQ(PlaceLines(places)[0].text.substr(0, 5), "New: ");
  ASSERT_TRUE(RenamePlace(places, 0, ""));
  EXPECT_EQ(PlaceLines(places)[0].text.substr(0, 7), "<unk>: ");
  EXPECT_FALSE(RenamePlace(places, 1, "x"));
  EXPECT_FALSE(PlacePoint(places, 1));
}

TEST_F(PlacesTest, DeleteAsksFirst) {
  ASSERT_TRUE(AddPlace(places, "Home", {1, 2}));
  testing::ScriptedUi ui;
  ui.yesNo = {false, true};
  EXPECT_FALSE(DeletePlace(places, 0));
  EXPECT_EQ(places->ItemCount(), 1u);
  EXPECT_TRUE(DeletePlace(places, 0));
  EXPECT_EQ(places->ItemCount(), 0u);
  ASSERT_EQ(ui.events.size(), 2u);
  EXPECT_EQ(ui.events[0].kind, "yesno");
  EXPECT_EQ(ui.events[0].text, "Remove \"Home\" from list?");
  EXPECT_FALSE(DeletePlace(places, 0));
  EXPECT_EQ(ui.events.size(), 2u);
}

}  // namespace
}  // namespace tk

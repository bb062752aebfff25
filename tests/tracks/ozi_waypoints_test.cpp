#include "terrakon/tracks/ozi_waypoints.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/error.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/geodesy/geodesy.h"
#include "terrakon/geodesy/ozi_datums.h"
#include "terrakon/tracks/waypoint_array.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

constexpr const char* kHeader = "OziExplorer Waypoint File Version 1.1";

class OziWaypointsTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    TracksTest::SetUp();
    LoadWaypointSettings(settings_.link, "", &wpSettings_);
  }
  Waypoint At(double lon, double lat) {
    return list_.NewWaypoint(X2Google(lon + 180), Y2Google(lat));
  }
  // The file with the four header lines and the given records.
  std::string File(std::initializer_list<const char*> records, const char* datum = "WGS 84") {
    std::string text = testing::TracksTest::Crlf({kHeader, datum, "Reserved 2", "garmin16"});
    for (const char* r : records) text += std::string(r) + "\r\n";
    return Write("in.wpt", text);
  }

  WaypointSettings wpSettings_;
  WaypointArray list_{&wpSettings_, &settings_.link};
};

TEST_F(OziWaypointsTest, WritesTheFileByteForByte) {
  Waypoint w = At(37.618423, 55.751244);
  w.name = "Red Square";
  w.description = "Moscow";
  w.dateTime = {2024, 3, 5, 12, 34, 56};
  w.foreground = 255;
  w.background = 65535;
  w.altitude = 150;
  w.fontSize = 8;
  w.fontStyle = kFontBold | kFontItalic;
  w.symbolSize = 17;
  list_.AddWaypoint(w);
  Waypoint none = At(-70.25, -33.5);
  none.name = "S";
  none.description = "";
  none.dateTime = {};
  none.foreground = kNoColor;
  list_.AddWaypoint(none);
  list_.Renumber();
  const std::string path = dir_.File("out.wpt");
  ASSERT_TRUE(WriteOziWaypoints(list_, path, false));
  EXPECT_EQ(testing::ReadWholeFile(path),
            "OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\ngarmin16\r\n"
            "0,Red Square,55.751244,37.618423,45356.524259,0,1,3,255,65535,Moscow,0,0,0,150,8,1,17\r\n"
            "1,S,-33.500000,-70.250000,0,0,1,3,536870911,65535,,0,0,0,-777,8,0,17\r\n");
  EXPECT_TRUE(Logged("2 waypoints saved to file: " + path));
}

TEST_F(OziWaypointsTest, WriteThenReadGivesTheSameWaypoints) {
  Waypoint a = At(-122.419416, 37.774929);
  a.name = "Market, 1st";  // a comma must not shift the fields
  a.description = "Zürich, Ост";
  a.dateTime = {1999, 12, 31, 23, 59, 59};
  a.foreground = 0x123456;
  a.background = kNoColor;
  a.altitude = -12;
  a.fontSize = 14;
  a.fontStyle = kFontItalic;
  a.symbolSize = 40;
  list_.AddWaypoint(a);
  Waypoint b = At(179.999999, -85.0);
  b.dateTime = {};
  list_.AddWaypoint(b);
  const std::string path = dir_.File("rt.wpt");
  ASSERT_TRUE(WriteOziWaypoints(list_, path, false));

  WaypointArray back(&wpSettings_, &settings_.link);
  ASSERT_TRUE(back.ImportWaypoints(path, 0)) << ErrorText();
  ASSERT_EQ(back.Count(), 2u);
  for (int i = 0; i < 2; ++i) {
    const Waypoint &w = list_.Items()[i], &r = back.Items()[i];
    EXPECT_EQ(r.name, w.name);
    EXPECT_EQ(r.description, w.description);
    EXPECT_EQ(r.foreground, w.foreground);
    EXPECT_EQ(r.background, w.background);
    EXPECT_EQ(r.altitude, w.altitude);
    EXPECT_EQ(r.fontSize, w.fontSize);
    EXPECT_EQ(r.symbolSize, w.symbolSize);
    EXPECT_EQ(r.dateTime, w.dateTime);
    EXPECT_NEAR(Google2X(r.X), Google2X(w.X), 1e-6);
    EXPECT_NEAR(Google2Y(r.Y), Google2Y(w.Y), 1e-6);
  }
  EXPECT_EQ(back.Items()[0].fontStyle, 0);  // italic is not written
  EXPECT_TRUE(Logged("2 waypoints loaded from file: " + path));
}

TEST_F(OziWaypointsTest, SelectedOnlyAndEmptyLists) {
  const std::string path = dir_.File("e.wpt");
  ASSERT_TRUE(WriteOziWaypoints(list_, path, false));
  EXPECT_EQ(testing::ReadLines(path).size(), 4u);
  EXPECT_TRUE(log_.Lines().empty());  // an empty list logs nothing
  list_.AddWaypoint(At(1, 1));
  ASSERT_TRUE(WriteOziWaypoints(list_, path, true));
  EXPECT_EQ(testing::ReadLines(path).size(), 4u);
  EXPECT_TRUE(Logged("0 waypoints saved to file: " + path));

  ASSERT_TRUE(list_.ImportWaypoints(path, 0));
  EXPECT_EQ(list_.Count(), 1u);
  EXPECT_TRUE(Logged("0 waypoints loaded from file: " + path));
}

TEST_F(OziWaypointsTest, ReadsDefaultsAndDates) {
  const std::string path = File({"1,a,10,20,0,0,1,3,x,,d,0,0,0,,,1",
                                 "2,b,10,20,,0,1,3,1,2,d,0,0,0,5,9,0,3",
                                 "3,c, -10.5 , 20.5 ,36526.25,0,1,3,1,2,d,0,0,0,5,9,0,3"});
  ASSERT_TRUE(list_.ImportWaypoints(path, 0)) << ErrorText();
  ASSERT_EQ(list_.Count(), 3u);
  const Waypoint& a = list_.Items()[0];
  EXPECT_EQ(a.foreground, kNoColor);
  EXPECT_EQ(a.background, 0xFFFFFFu);
  EXPECT_EQ(a.altitude, 0);
  EXPECT_EQ(a.fontSize, 8);
  EXPECT_EQ(a.fontStyle, kFontBold);
  EXPECT_EQ(a.symbolSize, 17);  // field 18 missing
  EXPECT_TRUE(a.dateTime.IsEmpty());
  EXPECT_TRUE(list_.Items()[1].dateTime.IsEmpty());
  EXPECT_EQ(list_.Items()[2].dateTime, (DateTime{2000, 1, 1, 6, 0, 0}));
  EXPECT_NEAR(Google2Y(list_.Items()[2].Y), -10.5, 1e-9);

  // No date-time is written back as the single digit 0.
  const std::string out = dir_.File("out.wpt");
  ASSERT_TRUE(WriteOziWaypoints(list_, out, false));
  EXPECT_EQ(testing::ReadLines(out)[4].substr(0, 32), "0,a,10.000000,20.000000,0,0,1,3,");
}

TEST_F(OziWaypointsTest, TheWgsAliasIsWgs72) {
  const std::string path = File({"1,a,50,10,0,0,1,3,0,0,d,0,0,0,0,8,0,17"}, "WGS");
  ASSERT_TRUE(list_.ImportWaypoints(path, 0)) << ErrorText();
  const int32_t wgs72 = DatumIndexByName("WGS 72");
  ASSERT_GT(wgs72, 0);
  PixelPoint expected;
  ASSERT_TRUE(GeoToGoogle(190, 50, wgs72, &expected));
  EXPECT_EQ(list_.Items()[0].X, expected.X);
  EXPECT_EQ(list_.Items()[0].Y, expected.Y);
  EXPECT_NE(list_.Items()[0].Y, Y2Google(50));  // really shifted
}

// Each bad file stops at its bad line, keeping the waypoints before it.
TEST_F(OziWaypointsTest, StopsAtTheFirstBadLine) {
  const char* good = "1,a,10,20,0,0,1,3,0,0,d,0,0,0,0,8,0,17";
  const struct {
    std::string content;
    int error;         // number, or kErrorText with the text
    const char* text;
    std::size_t kept;
    int line;
  } cases[] = {
      {Crlf({"OziExplorer Track Point File Version 2.1", "WGS 84"}), kErrorNotSupported, "", 0, 1},
      {Crlf({"oziexplorer waypoint file version 1.1", "Mars 2000"}), kErrorText,
       "Datum \"Mars 2000\" is not supported", 0, 2},
      {Crlf({kHeader, "WGS 84", "r", "r", good, "2,b,10,20,0,0,1,3,0,0,d,0,0,0,0,8"}), kErrorNotSupported, "", 1, 6},
      {Crlf({kHeader, "WGS 84", "r", "r", good, "", good, "3,c,abc,20,0,0,1,3,0,0,d,0,0,0,0,8,0"}), kErrorText,
       "Error in 3-th waypoint coordinates", 2, 7},
      {Crlf({kHeader, "WGS 84", "r", "r", "1,a,95,20,0,0,1,3,0,0,d,0,0,0,0,8,0"}), kErrorText,
       "Error in 1-th waypoint coordinates", 0, 5},
      {Crlf({kHeader, "WGS 84", "r", "r", "1,a,10,1e2,0,0,1,3,0,0,d,0,0,0,0,8,0"}), kErrorText,
       "Error in 1-th waypoint coordinates", 0, 5},
      {Crlf({kHeader, "WGS 84", "r", "r", good, "2,b,10,20,12x,0,1,3,0,0,d,0,0,0,0,8,0"}), kErrorText,
       "Invalid 2-th waypoint time: 12x", 1, 6},
      {Crlf({kHeader, "WGS 84", "r", "r", "2,b,10,20,99999999,0,1,3,0,0,d,0,0,0,0,8,0"}), kErrorText,
       "Invalid 1-th waypoint time: 99999999", 0, 5},
  };
  for (const auto& c : cases) {
    WaypointArray list(&wpSettings_, &settings_.link);
    const std::string path = Write("bad.wpt", c.content);
    SetLastError(0);
    EXPECT_FALSE(list.ImportWaypoints(path, 0)) << c.content;
    EXPECT_EQ(GetLastError(), c.error) << c.content;
    if (c.error == kErrorText) {
      EXPECT_EQ(ErrorText(), c.text);
    }
    EXPECT_EQ(list.Count(), c.kept) << c.content;
    EXPECT_TRUE(list.FileName().empty());
    EXPECT_FALSE(list.Loading());
    EXPECT_TRUE(Logged("!" + path + ", line " + std::to_string(c.line) + ": " + ErrorText())) << c.content;
  }
}

}  // namespace
}  // namespace tk

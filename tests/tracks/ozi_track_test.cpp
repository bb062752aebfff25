#include "terrakon/tracks/ozi_track.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/paths.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/track_array.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

constexpr const char* kHeader = "OziExplorer Track Point File Version 2.1";

class OziTrackTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    TracksTest::SetUp();
    list_ = std::make_unique<TrackArray>(&settings_.link);
    track_ = list_->NewTrack();
  }
  TrackPoint& Point(Track& t, double lon, double lat) {
    return t.AddTrackPoint(t.NewTrackPoint(X2Google(lon + 180), Y2Google(lat)));
  }
  std::string File(const char* line5, const char* count, std::initializer_list<const char*> points) {
    std::string text = Crlf({kHeader, "WGS 84", "Altitude is in Feet", "Reserved 3", line5, count});
    for (const char* p : points) text += std::string(p) + "\r\n";
    return Write("in.plt", text);
  }

  std::unique_ptr<TrackArray> list_;
  std::unique_ptr<Track> track_;
};

TEST_F(OziTrackTest, WritesTheFileByteForByte) {
  Track& t = *track_;
  t.name = "Walk";
  t.lineWidth = 2;
  t.color = 255;
  t.type = kTrackArea;
  t.fillStyle = 3;
  t.fillColor = 0x00FF00;
  TrackPoint& a = Point(t, 20.25, 10.5);
  a.altitude = 40;
  a.dateTime = {2024, 3, 5, 12, 0, 0};
  a.segment = 1;
  Point(t, 20.35, 10.6).dateTime = {};
  const std::string path = dir_.File("out.plt");
  ASSERT_TRUE(WriteOziTrack(t, path, false));
  EXPECT_EQ(testing::ReadWholeFile(path),
            "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
            "0,2,255,Walk,1,10,3,65280\r\n2\r\n"
            "10.500000,20.250000,1,40,45356.500000,05-03-2024,12:00:00\r\n"
            "10.600000,20.350000,0,-777,0,,\r\n");
  EXPECT_TRUE(Logged("2 track points saved to file: " + path));

  ASSERT_TRUE(WriteOziTrack(t, path, true));  // no point selected
  EXPECT_EQ(testing::ReadLines(path)[5], "0\r");
  EXPECT_TRUE(Logged("0 track points saved to file: " + path));
}

TEST_F(OziTrackTest, WriteThenReadGivesTheSameTrack) {
  Track& t = *track_;
  t.name = "Ridge, north";
  t.type = kTrackAlarm;
  t.fillStyle = 7;
  t.color = 0x102030;
  for (int i = 0; i < 50; ++i) {
    TrackPoint& p = Point(t, -70 + i * 0.001, -33.5 + i * 0.002);
    p.altitude = i * 3 - 20;
    p.segment = i == 25;
    p.dateTime = i % 7 ? DateTime{2010, 6, 1, 8, uint16_t(i), 30} : DateTime{};
  }
  const std::string path = dir_.File("rt.plt");
  ASSERT_TRUE(t.ExportTrack(path, kOziTrackFormat, false));
  EXPECT_FALSE(t.modified);

  auto back = list_->NewTrack();
  ASSERT_TRUE(back->ImportTrack(path, kOziTrackFormat)) << ErrorText();
  EXPECT_EQ(back->name, t.name);
  EXPECT_EQ(back->type, kTrackAlarm);
  EXPECT_EQ(back->fillStyle, 7);
  EXPECT_EQ(back->color, t.color);
  EXPECT_FALSE(back->modified);
  EXPECT_EQ(back->fileName, path);
  ASSERT_EQ(back->Points().size(), 50u);
  for (int i = 0; i < 50; ++i) {
    const TrackPoint &w = t.Points()[i], &r = back->Points()[i];
    EXPECT_NEAR(Google2X(r.X), Google2X(w.X), 1e-6);
    EXPECT_NEAR(Google2Y(r.Y), Google2Y(w.Y), 1e-6);
    EXPECT_EQ(r.altitude, w.altitude);
    EXPECT_EQ(r.segment, w.segment);
    EXPECT_EQ(r.dateTime, w.dateTime);
    EXPECT_EQ(r.number, i);
    EXPECT_EQ(r.track, back.get());
  }
  EXPECT_TRUE(Logged("50 track points loaded from file: " + path));
}

TEST_F(OziTrackTest, LineFiveDefaultsAndATrackOfOnePoint) {
  const std::string path = File("0,,,  Lone  ", "1", {"45,10,0,12.6,0"});
  ASSERT_TRUE(ReadOziTrack(*track_, path)) << ErrorText();
  EXPECT_EQ(track_->lineWidth, 1);
  EXPECT_EQ(track_->color, 255u);
  EXPECT_EQ(track_->name, "Lone");
  EXPECT_EQ(track_->type, kTrackLine);
  EXPECT_EQ(track_->fillColor, 0xFFFFFFu);
  ASSERT_EQ(track_->Points().size(), 1u);
  EXPECT_EQ(track_->Points()[0].altitude, 13);  // decimal feet are rounded
  EXPECT_TRUE(track_->Points()[0].dateTime.IsEmpty());
}

TEST_F(OziTrackTest, StopsAtTheFirstBadLine) {
  const char* line5 = "0,1,255,T,1,0,0,0";
  const char* good = "10,20,0,0,0";
  const struct {
    std::string content;
    int error;
    const char* text;
    std::size_t kept;
  } cases[] = {
      {Crlf({"OziExplorer Waypoint File Version 1.1"}), kErrorNotSupported, "", 0},
      {Crlf({kHeader, "Mars 2000"}), kErrorText, "Datum \"Mars 2000\" is not supported", 0},
      {Crlf({kHeader, "WGS 84", "a", "b", line5, "0"}), kErrorText, "Track has no points", 0},
      {Crlf({kHeader, "WGS 84", "a", "b", line5, "-3"}), kErrorText, "Track has no points", 0},
      {Crlf({kHeader, "WGS 84", "a", "b", line5, "2", good, "10,20,0,0"}), kErrorNotSupported, "", 1},
      {Crlf({kHeader, "WGS 84", "a", "b", line5, "2", good, "x,20,0,0,0"}), kErrorText,
       "Error in 2-th waypoint coordinates", 1},
      {Crlf({kHeader, "WGS 84", "a", "b", line5, "2", "10,20,0,0,abc"}), kErrorText,
       "Invalid 1-th waypoint time: abc", 0},
  };
  for (const auto& c : cases) {
    const std::string path = Write("bad.plt", c.content);
    SetLastError(0);
    EXPECT_FALSE(track_->ImportTrack(path, kOziTrackFormat)) << c.content;
    EXPECT_EQ(GetLastError(), c.error) << c.content;
    if (c.error == kErrorText) {
      EXPECT_EQ(ErrorText(), c.text);
    }
    EXPECT_EQ(track_->Points().size(), c.kept) << c.content;
    EXPECT_FALSE(track_->loading);
  }
}

// Other programs leave the count at 0 and write the points anyway.
TEST_F(OziTrackTest, ACountOfZeroStillReadsThePointsThatFollow) {
  const std::string path = File("0,2,255,T1,0,0,2,8421376", "0",
                                {"10.500000,20.250000,1,40.4,45356.5000000,,", "10.600000,20.350000,0,-777.0,,,"});
  ASSERT_TRUE(ReadOziTrack(*track_, path)) << ErrorText();
  ASSERT_EQ(track_->Points().size(), 2u);
  EXPECT_EQ(track_->Points()[0].segment, 1);
  EXPECT_EQ(track_->Points()[1].altitude, -777);
  EXPECT_EQ(track_->fillStyle, 2);
}

TEST_F(OziTrackTest, ImportAndExportRecordTheLastFile) {
  Point(*track_, 1, 1);
  Point(*track_, 2, 2).state = 1;
  const std::string path = dir_.File("sel.plt");
  ASSERT_TRUE(track_->ExportTrack(path, kDetectTrackFormat, true));
  EXPECT_TRUE(track_->modified);  // a part only: still unsaved
  EXPECT_TRUE(track_->fileName.empty());
  EXPECT_EQ(settings::TR_LastFile.Get(settings_.link), StoredPath(path));
  EXPECT_EQ(testing::ReadLines(path).size(), 7u);

  EXPECT_FALSE(track_->ImportTrack(path, kDetectTrackFormat));
  EXPECT_EQ(ErrorText(), "Autodetect not supported yet");
  EXPECT_EQ(settings::TR_LastFile.Get(settings_.link), "");
  EXPECT_FALSE(track_->ImportTrack(path, 9));
  EXPECT_EQ(ErrorText(), "Import for \"<unknown>\" format is not supported yet");
  EXPECT_TRUE(track_->Points().empty());
}

}  // namespace
}  // namespace tk

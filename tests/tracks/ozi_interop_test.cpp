// The OziExplorer files against GPSBabel, a program that reads and writes
// them independently of ours: what we write it reads with the same names and
// positions, and what it writes we read. Skipped when GPSBabel is absent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>

#include "common/error.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/waypoint_array.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

bool HaveGpsBabel() { return std::system("command -v gpsbabel >/dev/null 2>&1") == 0; }

// Runs the command and returns its standard output.
std::string RunCommand(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

struct GpxPoint {
  double lat, lon;
  std::string name;
};

// The <wpt> or <trkpt> elements of a GPX text.
std::vector<GpxPoint> GpxPoints(const std::string& gpx, const std::string& element) {
  std::vector<GpxPoint> points;
  const std::regex open("<" + element + " lat=\"([-0-9.]+)\" lon=\"([-0-9.]+)\"");
  const std::regex name("<name>([^<]*)</name>");
  for (auto it = std::sregex_iterator(gpx.begin(), gpx.end(), open); it != std::sregex_iterator(); ++it) {
    GpxPoint p{std::stod((*it)[1]), std::stod((*it)[2]), {}};
    const std::size_t end = gpx.find("</" + element + ">", it->position());
    const std::string body = gpx.substr(it->position(), end - it->position());
    std::smatch m;
    if (std::regex_search(body, m, name)) p.name = m[1];
    points.push_back(p);
  }
  return points;
}

class OziInteropTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed (scripts/deps.sh installs it)";
    TracksTest::SetUp();
    LoadWaypointSettings(settings_.link, "", &wpSettings_);
  }
  WaypointSettings wpSettings_;
};

TEST_F(OziInteropTest, GpsBabelReadsOurWaypointsAndTrack) {
  WaypointArray list(&wpSettings_, &settings_.link);
  const struct {
    const char* name;
    double lon, lat;
  } places[] = {{"Red Square", 37.618423, 55.751244}, {"Cape Horn", -67.275, -55.98}, {"Null", 0.000001, -0.000001}};
  for (const auto& p : places) {
    Waypoint w = list.NewWaypoint(X2Google(p.lon + 180), Y2Google(p.lat));
    w.name = p.name;
    list.AddWaypoint(w);
  }
  const std::string wpt = dir_.File("ours.wpt");
  ASSERT_TRUE(list.ExportWaypoints(wpt, 0, false));
  const auto read = GpxPoints(RunCommand("gpsbabel -i ozi -f '" + wpt + "' -o gpx -F - 2>&1"), "wpt");
  ASSERT_EQ(read.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read[i].name, places[i].name);
    EXPECT_NEAR(read[i].lat, places[i].lat, 1e-6);
    EXPECT_NEAR(read[i].lon, places[i].lon, 1e-6);
  }

  TrackArray tracks(&settings_.link);
  Track& t = tracks.AddTrack(tracks.NewTrack());
  for (int i = 0; i < 5; ++i) t.AddTrackPoint(t.NewTrackPoint(X2Google(190.5 + i * 0.01), Y2Google(-20.25 - i * 0.01)));
  const std::string plt = dir_.File("ours.plt");
  ASSERT_TRUE(t.ExportTrack(plt, kOziTrackFormat, false));
  const auto points = GpxPoints(RunCommand("gpsbabel -t -i ozi -f '" + plt + "' -o gpx -F - 2>&1"), "trkpt");
  ASSERT_EQ(points.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(points[i].lon, 10.5 + i * 0.01, 1e-6);
    EXPECT_NEAR(points[i].lat, -20.25 - i * 0.01, 1e-6);
  }
}

TEST_F(OziInteropTest, WeReadWhatGpsBabelWrites) {
  const std::string gpx = Write("in.gpx",
      "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
      "<wpt lat=\"55.751244\" lon=\"37.618423\"><ele>150</ele><time>2024-03-05T12:34:56Z</time>"
      "<name>Moscow</name></wpt>\n<wpt lat=\"-33.5\" lon=\"-70.25\"><name>Santiago</name></wpt>\n"
      "<trk><name>T1</name><trkseg><trkpt lat=\"10.5\" lon=\"20.25\"><ele>12.3</ele>"
      "<time>2024-03-05T12:00:00Z</time></trkpt><trkpt lat=\"10.6\" lon=\"20.35\"/></trkseg>"
      "<trkseg><trkpt lat=\"11\" lon=\"21\"/></trkseg></trk>\n</gpx>\n");
  const std::string wpt = dir_.File("theirs.wpt"), plt = dir_.File("theirs.plt");
  RunCommand("gpsbabel -i gpx -f '" + gpx + "' -o ozi -F '" + wpt + "' 2>&1");
  RunCommand("gpsbabel -t -i gpx -f '" + gpx + "' -o ozi -F '" + plt + "' 2>&1");

  WaypointArray list(&wpSettings_, &settings_.link);
  ASSERT_TRUE(list.ImportWaypoints(wpt, 0)) << ErrorText() << "\n" << testing::ReadWholeFile(wpt);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Items()[0].name, "Moscow");
  EXPECT_NEAR(Google2Y(list.Items()[0].Y), 55.751244, 1e-6);
  EXPECT_NEAR(Google2X(list.Items()[0].X) - 180, 37.618423, 1e-6);
  EXPECT_EQ(list.Items()[0].dateTime, (DateTime{2024, 3, 5, 12, 34, 56}));
  EXPECT_EQ(list.Items()[0].altitude, 492);  // GPSBabel writes feet
  EXPECT_EQ(list.Items()[1].name, "Santiago");
  EXPECT_TRUE(list.Items()[1].dateTime.IsEmpty());

  TrackArray tracks(&settings_.link);
  ASSERT_TRUE(tracks.LoadTrackFile(plt)) << ErrorText() << "\n" << testing::ReadWholeFile(plt);
  const Track& t = tracks[0];
  EXPECT_EQ(t.name, "T1");
  ASSERT_EQ(t.Points().size(), 3u);
  EXPECT_NEAR(Google2Y(t.Points()[2].Y), 11, 1e-6);
  EXPECT_EQ(t.Points()[0].segment, 1);
  EXPECT_EQ(t.Points()[0].dateTime, (DateTime{2024, 3, 5, 12, 0, 0}));
}

}  // namespace
}  // namespace tk

// The readers against random bytes and files cut anywhere: they may fail,
// but never crash, never read past what they were given, and keep what they
// read before the bad line.
#include <gtest/gtest.h>

#include <random>

#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/waypoint_array.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

class OziGarbageTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    TracksTest::SetUp();
    LoadWaypointSettings(settings_.link, "", &wpSettings_);
  }
  WaypointSettings wpSettings_;
};

std::string RandomBytes(std::mt19937& rng, std::size_t n, bool textLike) {
  std::string s(n, '\0');
  const char alphabet[] = "0123456789,.-+ \r\n\tWGSOziExplorer";
  for (char& c : s)
    c = textLike ? alphabet[rng() % (sizeof alphabet - 1)] : static_cast<char>(rng() & 0xFF);
  return s;
}

TEST_F(OziGarbageTest, RandomBytesAndCutFilesNeverCrash) {
  std::mt19937 rng(20240305);
  // Valid files to cut and to spoil.
  WaypointArray source(&wpSettings_, &settings_.link);
  TrackArray tracks(&settings_.link);
  Track& track = tracks.AddTrack(tracks.NewTrack());
  for (int i = 0; i < 20; ++i) {
    Waypoint w = source.NewWaypoint(X2Google(180.0 + i), Y2Google(i * 2.0));
    source.AddWaypoint(w);
    track.AddTrackPoint(track.NewTrackPoint(X2Google(170.0 + i), Y2Google(-i * 1.0)));
  }
  const std::string wptPath = dir_.File("v.wpt"), pltPath = dir_.File("v.plt");
  ASSERT_TRUE(source.ExportWaypoints(wptPath, 0, false));
  ASSERT_TRUE(track.ExportTrack(pltPath, 0, false));
  const std::string wpt = testing::ReadWholeFile(wptPath), plt = testing::ReadWholeFile(pltPath);

  std::vector<std::string> inputs;
  for (int i = 0; i < 60; ++i) inputs.push_back(RandomBytes(rng, rng() % 3000, i % 2 == 0));
  for (std::size_t cut = 0; cut < wpt.size(); cut += 13) inputs.push_back(wpt.substr(0, cut));
  for (std::size_t cut = 0; cut < plt.size(); cut += 13) inputs.push_back(plt.substr(0, cut));
  for (int i = 0; i < 40; ++i) {
    std::string spoiled = i % 2 ? wpt : plt;
    for (int k = 0; k < 5; ++k) spoiled[rng() % spoiled.size()] = static_cast<char>(rng() & 0xFF);
    inputs.push_back(spoiled);
  }
  // Headers followed by garbage.
  inputs.push_back(wpt.substr(0, 70) + RandomBytes(rng, 5000, false));
  inputs.push_back(plt.substr(0, 120) + RandomBytes(rng, 5000, true));

  for (const std::string& input : inputs) {
    const std::string path = Write("g.txt", input);
    WaypointArray list(&wpSettings_, &settings_.link);
    const bool wptOk = list.ImportWaypoints(path, 0);
    EXPECT_LE(list.Count(), 20u + input.size() / 17);
    if (!wptOk) {
      EXPECT_FALSE(list.Loading());
    }
    auto t = tracks.NewTrack();
    t->ImportTrack(path, 0);
    EXPECT_FALSE(t->loading);
  }
}

// A cut file keeps every whole record before the cut.
TEST_F(OziGarbageTest, ACutFileKeepsTheRecordsBeforeTheCut) {
  WaypointArray source(&wpSettings_, &settings_.link);
  for (int i = 0; i < 10; ++i) source.AddWaypoint(source.NewWaypoint(X2Google(200.0 + i), Y2Google(10.0)));
  const std::string path = dir_.File("c.wpt");
  ASSERT_TRUE(source.ExportWaypoints(path, 0, false));
  const std::string whole = testing::ReadWholeFile(path);
  std::size_t cut = whole.rfind(",0,0,0,");  // inside the last record, before field 15
  const std::string cutPath = Write("cut.wpt", whole.substr(0, cut));
  WaypointArray list(&wpSettings_, &settings_.link);
  EXPECT_FALSE(list.ImportWaypoints(cutPath, 0));
  EXPECT_EQ(list.Count(), 9u);
}

}  // namespace
}  // namespace tk

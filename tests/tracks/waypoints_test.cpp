#include "terrakon/tracks/waypoint_array.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/file_dialogs.h"
#include "terrakon/tracks/track_settings.h"
#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/waypoint_drawing.h"
#include "terrakon/tracks/waypoint_lists.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

class WaypointsTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    TracksTest::SetUp();
    LoadWaypointSettings(settings_.link, "", &wpSettings_);
    list_.AddListener([this](int32_t item) { heard_.push_back(item); });
  }
  Waypoint& Add(int64_t x, int64_t y) { return list_.AddWaypoint(list_.NewWaypoint(x, y)); }

  WaypointSettings wpSettings_;
  WaypointArray list_{&wpSettings_, &settings_.link};
  std::vector<int32_t> heard_;
};

TEST_F(WaypointsTest, BothListsReadTheirOwnDefaults) {
  settings::WP_CorX.Set(settings_.link, int64_t{1} << 40);
  settings::SP_WP_CorX.Set(settings_.link, -5);
  WaypointSettings main, places;
  LoadWaypointSettings(settings_.link, "", &main);
  LoadWaypointSettings(settings_.link, kPlacesPrefix, &places);
  EXPECT_EQ(main.defaultBackground, 0xFFFFu);
  EXPECT_EQ(places.defaultBackground, 0xFFFF00u);
  EXPECT_EQ(main.globalCorrectionX, int64_t{1} << 40);
  EXPECT_EQ(places.globalCorrectionX, -5);  // a 32-bit key, sign-extended
  EXPECT_EQ(places.font, "MS Sans Serif");
  EXPECT_EQ(places.defaultAltitude, -777);
  // Every read created its key.
  EXPECT_NE(settings_.link.LinkItem()->FindItem("SP/WP_Def_Size"), nullptr);
}

TEST_F(WaypointsTest, NewWaypointTakesTheListsDefaults) {
  Add(1, 2);
  wpSettings_.defaultSymbolSize = 30;
  wpSettings_.defaultCorrectionX = 7;
  Waypoint w = list_.NewWaypoint(10, 20);
  EXPECT_EQ(w.number, 1);
  EXPECT_EQ(w.name, "WP2");
  EXPECT_EQ(w.description, "Waypoint number 2");
  EXPECT_EQ(w.X, 10);
  EXPECT_EQ(w.symbolSize, 30);
  EXPECT_EQ(w.correctionX, 7);
  EXPECT_EQ(w.altitude, -777);
  EXPECT_EQ(w.background, 0xFFFFu);
  EXPECT_FALSE(w.dateTime.IsEmpty());
  EXPECT_EQ(w.settings, &wpSettings_);
}

TEST_F(WaypointsTest, ChangesNotifyUnlessLoadingAndSelectionDoesNotModify) {
  Waypoint& w = Add(0, 0);
  EXPECT_TRUE(list_.Modified());
  EXPECT_EQ(heard_, (std::vector<int32_t>{-1}));
  list_.SetModified(false);
  w.changed(w.number);  // what the editor does after OK
  EXPECT_TRUE(list_.Modified());
  list_.SetModified(false);
  Add(5, 5);
  list_.SelectOnly(1);
  EXPECT_EQ(list_.CountSelected(), 1);
  EXPECT_EQ(list_.NthSelected(0), &list_.Items()[1]);
  EXPECT_EQ(list_.NthSelected(1), nullptr);
  list_.SetModified(false);
  list_.SelectOnly(-1);
  EXPECT_EQ(list_.CountSelected(), 0);
  EXPECT_FALSE(list_.Modified());
  EXPECT_EQ(heard_.size(), 5u);
}

TEST_F(WaypointsTest, FindWaypointAtIgnoresTheCorrections) {
  wpSettings_.globalCorrectionX = 1000;
  Add(5000, 5000).correctionY = 300;
  EXPECT_EQ(list_.FindWaypointAt({4997, 4997, 5003, 5003}), 0);
  EXPECT_EQ(list_.FindWaypointAt({5000, 5000, 5000, 5000}), 0);  // bounds included
  EXPECT_EQ(list_.FindWaypointAt({5997, 5297, 6003, 5303}), -1);
  EXPECT_EQ(WaypointDrawnPosition(list_.Items()[0]).X, 6000);
  EXPECT_EQ(WaypointDrawnPosition(list_.Items()[0]).Y, 5300);
}

TEST_F(WaypointsTest, DeleteAsksWithTheCountAndTheWord) {
  EXPECT_TRUE(list_.DeleteWaypoints(false));
  EXPECT_TRUE(ui_.events.empty());  // an empty list asks nothing

  Add(0, 0);
  Add(1, 1);
  Add(2, 2);
  list_.Items()[0].state = list_.Items()[2].state = 1;
  ui_.yesNo = {false, true, true};
  EXPECT_FALSE(list_.DeleteWaypoints(true));
  EXPECT_EQ(list_.Count(), 3u);
  EXPECT_TRUE(list_.DeleteWaypoints(true));
  ASSERT_EQ(list_.Count(), 1u);
  EXPECT_EQ(list_.Items()[0].X, 1);
  EXPECT_TRUE(list_.DeleteWaypoints(false));
  EXPECT_EQ(list_.Count(), 0u);
  ASSERT_EQ(ui_.events.size(), 3u);
  EXPECT_EQ(ui_.events[1].text, "Delete 2 selected waypoints?");
  EXPECT_EQ(ui_.events[2].text, "Delete 1 total waypoints?");
}

TEST_F(WaypointsTest, FormatCodesWithoutAReaderOrWriterFail) {
  EXPECT_FALSE(list_.ImportWaypoints(dir_.File("x.wpt"), kDetectFormat));
  EXPECT_EQ(ErrorText(), "Autodetect not supported yet");
  EXPECT_FALSE(list_.ImportWaypoints(dir_.File("x.wpt"), 7));
  EXPECT_EQ(ErrorText(), "Import for \"<unknown>\" format is not supported yet");
  EXPECT_FALSE(list_.ExportWaypoints(dir_.File("x.wpt"), 7, false));
  EXPECT_EQ(ErrorText(), "Export for \"<unknown>\" format is not supported yet");
  EXPECT_TRUE(list_.ExportWaypoints(dir_.File("x.wpt"), kDetectFormat, false));  // taken as OziExplorer
}

TEST_F(WaypointsTest, TheFirstFileStaysTheQuickSaveTarget) {
  Add(kWorldSize / 2, kWorldSize / 2);
  const std::string first = dir_.File("first.wpt"), second = dir_.File("second.wpt");
  ASSERT_TRUE(list_.ExportWaypoints(first, 0, false));
  EXPECT_FALSE(list_.Modified());
  ASSERT_TRUE(list_.ImportWaypoints(first, 0));
  ASSERT_TRUE(list_.ExportWaypoints(second, 0, false));
  EXPECT_EQ(list_.FileName(), first);
  EXPECT_EQ(list_.FileFormat(), kOziWaypointFormat);

  // Quick save: nothing written while unmodified, the first file once modified.
  std::remove(first.c_str());
  EXPECT_TRUE(list_.SaveWaypoints(false));
  EXPECT_FALSE(PathExists(first));
  list_.NotifyChanged();
  EXPECT_TRUE(list_.SaveWaypoints(false));
  EXPECT_TRUE(PathExists(first));
  EXPECT_TRUE(ui_.events.empty());
}

TEST_F(WaypointsTest, ImportReadsNumbersAndNotifiesOnce) {
  const std::string path = dir_.File("a.wpt");
  Add(kWorldSize / 3, kWorldSize / 3);
  Add(kWorldSize / 4, kWorldSize / 4);
  ASSERT_TRUE(list_.ExportWaypoints(path, 0, false));
  heard_.clear();
  ASSERT_TRUE(list_.ImportWaypoints(path, 0));
  ASSERT_EQ(list_.Count(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list_.Items()[i].number, i);
  EXPECT_EQ(heard_, (std::vector<int32_t>{-1}));  // none while loading
  EXPECT_FALSE(list_.Loading());
}

TEST_F(WaypointsTest, LoadDialogRemembersFolderAndFilter) {
  const std::string path = dir_.File("p.wpt");
  Add(kWorldSize / 2, kWorldSize / 2);
  ASSERT_TRUE(list_.ExportWaypoints(path, 0, false));
  ui_.fileDialogs = {std::nullopt, FileDialogResult{path, 0}};
  EXPECT_TRUE(list_.LoadWaypointsDialog());  // cancelled: nothing happens
  EXPECT_EQ(list_.Count(), 1u);
  EXPECT_TRUE(list_.LoadWaypointsDialog());
  EXPECT_EQ(list_.Count(), 2u);
  EXPECT_EQ(settings::WP_LastPath.Get(settings_.link), dir_.path() + "/");
  EXPECT_EQ(settings::WPL_Type.Get(settings_.link), 1);
  EXPECT_EQ(ui_.events[0].text, "Load waypoints...");
}

TEST_F(WaypointsTest, SaveDialogAddsTheExtensionAndAsksBeforeOverwriting) {
  Add(kWorldSize / 2, kWorldSize / 2);
  const std::string bare = dir_.File("named");
  ui_.fileDialogs = {FileDialogResult{bare, 0}, FileDialogResult{bare, 0}, FileDialogResult{bare, 0}};
  ASSERT_TRUE(list_.SaveWaypoints(true));  // selected only: always the dialog
  EXPECT_TRUE(PathExists(bare + ".wpt"));
  const std::string before = testing::ReadWholeFile(bare + ".wpt");
  list_.Items()[0].state = 1;
  ui_.yesNo = {false, true};
  EXPECT_TRUE(list_.SaveWaypoints(true));  // answered no: not written
  EXPECT_EQ(testing::ReadWholeFile(bare + ".wpt"), before);
  EXPECT_TRUE(list_.SaveWaypoints(true));
  EXPECT_NE(testing::ReadWholeFile(bare + ".wpt"), before);
  EXPECT_EQ(ui_.events[2].text, "File " + bare + ".wpt already exist.\nOverwrite?");
  EXPECT_TRUE(list_.FileName().empty());  // selected-only saves remember nothing
}

TEST_F(WaypointsTest, CompanionsShowTheError) {
  Add(kWorldSize / 2, kWorldSize / 2);
  ui_.fileDialogs = {FileDialogResult{dir_.File("no/such/folder/x.wpt"), 0}};
  EXPECT_FALSE(list_.SaveWaypointsOrTell(false));
  ASSERT_EQ(ui_.events.back().kind, "error");
  EXPECT_EQ(ui_.events.back().text, "Error saving: No such file or directory");
}

TEST_F(WaypointsTest, ScreenPositionAndRepaintRectangle) {
  testing::ViewHost view;
  Waypoint& w = Add(kWorldSize / 2 + 10 * testing::ViewHost::kUnits, kWorldSize / 2);
  w.symbolSize = 20;
  auto s = WaypointScreenPosition(w, testing::ViewHost::View(), testing::ViewHost::kWidth, testing::ViewHost::kHeight);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->x, 510);
  EXPECT_EQ(s->y, 400);
  auto r = WaypointInvalidRect(w, testing::ViewHost::View(), testing::ViewHost::kWidth, testing::ViewHost::kHeight);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->left, 499);
  EXPECT_EQ(r->top, 367);
  EXPECT_EQ(r->right, 521);
  EXPECT_EQ(r->bottom, 403);
  w.correctionX = int64_t{1} << 36;  // drawn far outside the view
  EXPECT_FALSE(WaypointScreenPosition(w, testing::ViewHost::View(), 1000, 800));
  w.state = 1;
  EXPECT_EQ(WaypointLabelColors(w).text, wpSettings_.selectionForeground);
  w.state = 5;
  EXPECT_EQ(WaypointLabelColors(w).box, 0u);
}

}  // namespace
}  // namespace tk

namespace tk {
namespace {

TEST_F(WaypointsTest, StartUpLoadsTheLastFileAndThePlacesAndExitSavesThePlaces) {
  Add(kWorldSize / 2, kWorldSize / 2);
  Add(kWorldSize / 3, kWorldSize / 3);
  const std::string last = dir_.File("last.wpt");
  ASSERT_TRUE(list_.ExportWaypoints(last, 0, false));
  WaypointArray one(&wpSettings_, &settings_.link);
  one.AddWaypoint(one.NewWaypoint(kWorldSize / 4, kWorldSize / 4));
  ASSERT_TRUE(one.ExportWaypoints(dir_.File(kPlacesFile), 0, false));
  settings::WP_LastFile.Set(settings_.link, last);

  WaypointLists lists(&settings_.link);
  lists.AutoLoad(dir_.path());
  EXPECT_EQ(lists.Waypoints().Count(), 2u);
  EXPECT_EQ(lists.Places().Count(), 1u);
  EXPECT_FALSE(lists.Waypoints().Modified());
  EXPECT_FALSE(lists.Places().Modified());
  EXPECT_EQ(lists.Places().Settings().defaultBackground, 0xFFFF00u);

  lists.Places().AddWaypoint(lists.Places().NewWaypoint(1, 1));
  EXPECT_TRUE(lists.SavePlacesAtExit());
  EXPECT_TRUE(ui_.events.empty());  // the quick save into Places.wpt
  WaypointArray back(&wpSettings_, &settings_.link);
  ASSERT_TRUE(back.ImportWaypoints(dir_.File(kPlacesFile), 0));
  EXPECT_EQ(back.Count(), 2u);

  lists.RememberWaypointFile();
  EXPECT_EQ(settings::WP_LastFile.Get(settings_.link), last);
}

// The file menu's commands: unsaved changes keep the list modified through
// a merging load and a cancelled save, so the exit question still comes.
TEST_F(WaypointsTest, FileCommandsKeepUnsavedChangesMarked) {
  const std::string file = dir_.File("menu.wpt");
  {
    WaypointArray one(&wpSettings_, &settings_.link);
    one.AddWaypoint(one.NewWaypoint(kWorldSize / 4, kWorldSize / 4));
    ASSERT_TRUE(one.ExportWaypoints(file, 0, false));
  }
  WaypointLists lists(&settings_.link);
  WaypointArray& waypoints = lists.Waypoints();

  ui_.fileDialogs = {FileDialogResult{file, 0}};
  EXPECT_TRUE(lists.LoadWaypointsCommand());  // into a clean list: unchanged
  EXPECT_EQ(settings::WP_LastFile.Get(settings_.link), file);
  EXPECT_FALSE(waypoints.Modified());

  waypoints.AddWaypoint(waypoints.NewWaypoint(1, 1));
  ui_.fileDialogs = {FileDialogResult{file, 0}};
  EXPECT_TRUE(lists.LoadWaypointsCommand());
  EXPECT_EQ(waypoints.Count(), 3u);
  EXPECT_TRUE(waypoints.Modified());

  // The quick save target is the first file; a cancelled dialog saves nothing.
  WaypointLists fresh(&settings_.link);
  fresh.Waypoints().AddWaypoint(fresh.Waypoints().NewWaypoint(1, 1));
  ui_.fileDialogs = {std::nullopt};
  EXPECT_TRUE(fresh.SaveWaypointsCommand());
  EXPECT_TRUE(fresh.Waypoints().Modified());
  EXPECT_TRUE(lists.SaveWaypointsCommand());
  EXPECT_FALSE(waypoints.Modified());
  WaypointArray back(&wpSettings_, &settings_.link);
  ASSERT_TRUE(back.ImportWaypoints(file, 0));
  EXPECT_EQ(back.Count(), 3u);

  ui_.events.clear();
  ui_.yesNo = {false, true};
  EXPECT_FALSE(lists.ClearWaypointsCommand());
  EXPECT_EQ(waypoints.Count(), 3u);
  EXPECT_TRUE(lists.ClearWaypointsCommand());
  EXPECT_EQ(waypoints.Count(), 0u);
  EXPECT_FALSE(waypoints.Modified());
  EXPECT_EQ(settings::WP_LastFile.Get(settings_.link), "");
  ASSERT_EQ(ui_.events.size(), 2u);
  EXPECT_EQ(ui_.events[1].text, "Delete 3 total waypoints?");
}

TEST_F(WaypointsTest, ClearingTracksKeepsTheFirstEmptyAndForgetsTheLastFile) {
  TrackArray tracks(&settings_.link);
  for (int i = 0; i < 3; ++i) {
    Track& t = tracks.AddTrack(tracks.NewTrack());
    t.AddTrackPoint(t.NewTrackPoint(1, 1));
    ASSERT_TRUE(t.ExportTrack(dir_.File("t" + std::to_string(i) + ".plt"), 0, false));
    t.AddTrackPoint(t.NewTrackPoint(2, 2));  // unsaved
  }
  ui_.yesNo = {false, true};
  EXPECT_FALSE(ClearTracksCommand(tracks));
  EXPECT_EQ(tracks.Count(), 3u);
  EXPECT_TRUE(ClearTracksCommand(tracks));
  ASSERT_EQ(tracks.Count(), 1u);
  EXPECT_TRUE(tracks[0].Points().empty());
  EXPECT_FALSE(tracks.AnyTrackModified());
  EXPECT_EQ(settings::TR_LastFile.Get(settings_.link), "");
  // The emptied track no longer quick-saves over its old file.
  tracks[0].AddTrackPoint(tracks[0].NewTrackPoint(3, 3));
  const std::string before = testing::ReadWholeFile(dir_.File("t0.plt"));
  ui_.fileDialogs = {std::nullopt};
  EXPECT_TRUE(tracks[0].SaveTrack(false));  // the dialog, cancelled
  EXPECT_EQ(testing::ReadWholeFile(dir_.File("t0.plt")), before);
  EXPECT_EQ(ui_.events.back().kind, "save");
}

TEST_F(WaypointsTest, StartTracksMakesTheDefaultTrackAndReloadsTheLastFile) {
  TrackArray tracks(&settings_.link);
  Track& t = tracks.AddTrack(tracks.NewTrack());
  t.AddTrackPoint(t.NewTrackPoint(1, 1));
  ASSERT_TRUE(t.ExportTrack(dir_.File("t.plt"), 0, false));  // remembers it as the last file

  TrackArray fresh(&settings_.link);
  StartTracks(fresh, settings_.link);
  ASSERT_EQ(fresh.Count(), 2u);
  EXPECT_EQ(fresh[0].name, "GPS default track");
  EXPECT_EQ(fresh[1].Points().size(), 1u);
}

}  // namespace
}  // namespace tk

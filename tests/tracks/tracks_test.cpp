#include "terrakon/tracks/track_array.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/paths.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/track_drawing.h"
#include "terrakon/tracks/file_dialogs.h"
#include "terrakon/tracks/track_settings.h"
#include "tests/tracks/tracks_fixture.h"

namespace tk {
namespace {

class TracksListTest : public testing::TracksTest {
 protected:
  void SetUp() override {
    TracksTest::SetUp();
    list_ = std::make_unique<TrackArray>(&settings_.link);
    list_->AddListener([this](int32_t item) { heard_.push_back(item); });
  }
  // A track of n points 10 screen pixels apart around the view's centre.
  Track& AddTrack(int n) {
    Track& t = list_->AddTrack(list_->NewTrack());
    for (int i = 0; i < n; ++i)
      t.AddTrackPoint(t.NewTrackPoint(kWorldSize / 2 + i * 10 * testing::ViewHost::kUnits, kWorldSize / 2));
    return t;
  }

  std::unique_ptr<TrackArray> list_;
  std::vector<int32_t> heard_;
};

TEST_F(TracksListTest, NewTracksTakeTheirDefaultsWhenMade) {
  settings::TR_Def_Color.Set(settings_.link, 0xABCDEF);
  settings::TR_Def_Width.Set(settings_.link, 3);
  std::unique_ptr<Track> t = list_->NewTrack();
  EXPECT_EQ(t->name, "Track N1");
  EXPECT_EQ(t->color, 0xABCDEFu);
  EXPECT_EQ(t->lineWidth, 3);
  EXPECT_EQ(t->fillColor, 0xFFFFFFu);
  EXPECT_EQ(t->format, kDetectTrackFormat);
  EXPECT_TRUE(t->visible);
  EXPECT_FALSE(t->modified);
  TrackPoint p = t->NewTrackPoint(1, 2);
  EXPECT_EQ(p.altitude, -777);
  EXPECT_EQ(p.number, 0);
  EXPECT_FALSE(p.dateTime.IsEmpty());
  EXPECT_EQ(p.state, 0);
}

TEST_F(TracksListTest, PointChangesReachTheListWithTheTracksNumber) {
  AddTrack(0);
  Track& second = AddTrack(0);
  heard_.clear();
  TrackPoint& p = second.AddTrackPoint(second.NewTrackPoint(5, 5));
  EXPECT_TRUE(second.modified);
  second.modified = false;
  p.Changed();
  EXPECT_TRUE(second.modified);
  second.loading = true;
  p.Changed();
  second.loading = false;
  EXPECT_EQ(heard_, (std::vector<int32_t>{1, 1}));
}

TEST_F(TracksListTest, OneCurrentTrackAtATime) {
  AddTrack(0);
  AddTrack(0);
  heard_.clear();
  list_->SelectTrack(0);
  list_->SelectTrack(1);
  EXPECT_EQ(list_->CurrentTrack(), &(*list_)[1]);
  EXPECT_EQ((*list_)[0].state, 0);
  EXPECT_EQ(heard_, (std::vector<int32_t>{0, 0, 1}));
}

TEST_F(TracksListTest, DeleteAsksDependingOnTheModifiedFlag) {
  AddTrack(0).modified = false;
  Track& changed = AddTrack(1);
  changed.name = "Walk";
  ui_.yesNo = {false, true};
  EXPECT_TRUE(list_->DeleteTrack(0));  // answered no: kept
  EXPECT_EQ(list_->Count(), 2u);
  EXPECT_TRUE(list_->DeleteTrack(0));
  ASSERT_EQ(list_->Count(), 1u);
  EXPECT_EQ((*list_)[0].number, 0);  // renumbered
  ui_.yesNoCancel = {{kAnswerCancel, false}, {kAnswerNo, false}};
  EXPECT_FALSE(list_->DeleteTrack(0));
  EXPECT_TRUE(list_->DeleteTrack(0));
  EXPECT_EQ(list_->Count(), 0u);
  EXPECT_EQ(ui_.events[0].text, "Delete 1-th track from list?");
  EXPECT_EQ(ui_.events[2].text, "Track 1 named \"Walk\" is changed.\nSave changes?");
  EXPECT_EQ(heard_.back(), -1);
}

TEST_F(TracksListTest, AskSaveTracksAppliesATickedAnswerToTheRest) {
  for (int i = 0; i < 3; ++i) AddTrack(2);
  ui_.yesNoCancel = {{kAnswerNo, true}};
  EXPECT_TRUE(list_->AskSaveTracks());
  EXPECT_EQ(ui_.events.size(), 1u);
  ui_.yesNoCancel = {{kAnswerNo, false}, {kAnswerCancel, false}};
  EXPECT_FALSE(list_->AskSaveTracks());
  EXPECT_EQ(ui_.events.size(), 3u);
}

TEST_F(TracksListTest, SavingClearsTheFlagSoTheExitQuestionSkipsTheTrack) {
  Track& t = AddTrack(2);
  const std::string path = dir_.File("walk.plt");
  ui_.fileDialogs = {FileDialogResult{dir_.File("walk"), 0}};
  ui_.yesNoCancel = {{kAnswerYes, false}};
  EXPECT_TRUE(list_->AskSaveTracks());
  EXPECT_TRUE(PathExists(path));
  EXPECT_FALSE(t.modified);
  EXPECT_EQ(t.fileName, path);
  EXPECT_EQ(settings::TRS_Type.Get(settings_.link), 1);
  EXPECT_EQ(settings::TR_LastFile.Get(settings_.link), StoredPath(path));
  EXPECT_EQ(settings::TR_LastPath.Get(settings_.link), StoredPath(dir_.path() + "/"));
  ui_.events.clear();
  EXPECT_TRUE(list_->AskSaveTracks());
  EXPECT_TRUE(ui_.events.empty());
  EXPECT_FALSE(list_->AnyTrackModified());
}

TEST_F(TracksListTest, CancellingLoadNewTrackShowsNothingAndAddsNothing) {
  AddTrack(2);
  EXPECT_FALSE(list_->LoadNewTrackOrTell());
  EXPECT_EQ(GetLastError(), kErrorCancelled);
  EXPECT_EQ(list_->Count(), 1u);
  ASSERT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].kind, "open");
  EXPECT_EQ(ui_.events[0].text, "Load track...");

  // A file that fails to load is told and the track dropped.
  ui_.fileDialogs = {FileDialogResult{Write("bad.plt", "nonsense\r\n"), 0}};
  EXPECT_FALSE(list_->LoadNewTrackOrTell());
  EXPECT_EQ(list_->Count(), 1u);
  EXPECT_EQ(ui_.events.back().kind, "error");
  EXPECT_EQ(settings::TR_LastFile.Get(settings_.link), "");
}

TEST_F(TracksListTest, LoadTrackFileAddsATrackAndRemembersIt) {
  Track& t = AddTrack(3);
  const std::string path = dir_.File("t.plt");
  ASSERT_TRUE(t.ExportTrack(path, kOziTrackFormat, false));
  EXPECT_TRUE(list_->LoadTrackFile(path));
  ASSERT_EQ(list_->Count(), 2u);
  EXPECT_EQ((*list_)[1].Points().size(), 3u);
  EXPECT_EQ((*list_)[1].fileName, path);
  EXPECT_FALSE((*list_)[1].modified);
  EXPECT_EQ(settings::TR_LastFormat.Get(settings_.link), 0);
  EXPECT_FALSE(list_->LoadTrackFile(dir_.File("missing.plt")));
  EXPECT_EQ(list_->Count(), 2u);
  EXPECT_TRUE(ui_.events.empty());
}

TEST_F(TracksListTest, PolylinesOnlyForVisibleTracksInsideTheView) {
  testing::ViewHost view;
  const PixelRect v = testing::ViewHost::View();
  Track& one = AddTrack(1);
  EXPECT_EQ(TrackPolylines(one, list_->Settings(), v), nullptr);  // one point: no line

  Track& two = AddTrack(2);
  const BaseArray* lines = TrackPolylines(two, list_->Settings(), v);
  ASSERT_NE(lines, nullptr);
  ASSERT_EQ(lines->count, 1);
  EXPECT_EQ(lines->items[0].count, 2);
  EXPECT_EQ(lines->items[0].points[0], 500);
  EXPECT_EQ(lines->items[0].points[2], 510);

  // The global correction moves the line; the points are read in place.
  list_->Settings().correctionX = 20 * testing::ViewHost::kUnits;
  lines = TrackPolylines(two, list_->Settings(), v);
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->items[0].points[0], 520);

  two.correctionX = kWorldSize / 4;  // its box leaves the view
  EXPECT_EQ(TrackPolylines(two, list_->Settings(), v), nullptr);
  two.correctionX = 0;
  two.visible = false;
  EXPECT_EQ(TrackPolylines(two, list_->Settings(), v), nullptr);

  PixelRect box;
  ASSERT_TRUE(TrackPixelBox(two, &box));
  EXPECT_EQ(box.X2 - box.X1, 10 * testing::ViewHost::kUnits);
}

TEST_F(TracksListTest, ColoursFollowTheStates) {
  Track& t = AddTrack(1);
  t.color = 1;
  t.fillColor = 2;
  EXPECT_EQ(TrackDrawColors(t, list_->Settings()).line, 1u);
  EXPECT_EQ(TrackDrawColors(t, list_->Settings()).fill, 2u);
  t.state = 1;
  EXPECT_EQ(TrackDrawColors(t, list_->Settings()).line, 0xFFFFu);
  t.state = 9;
  EXPECT_EQ(TrackDrawColors(t, list_->Settings()).line, 255u);
  EXPECT_EQ(TrackDrawColors(t, list_->Settings()).fill, 0x800000u);
  TrackPoint& p = t.Points()[0];
  p.state = 1;
  EXPECT_EQ(PointMarkerColors(p, list_->Settings()).fill, 0x800000u);
  p.state = 3;
  EXPECT_EQ(PointMarkerColors(p, list_->Settings()).line, 0xFFFFFFu);
  EXPECT_EQ(PointMarkerColors(p, list_->Settings()).fill, 0u);
}

}  // namespace
}  // namespace tk

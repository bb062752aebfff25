// The main window with its real downloader (against the loopback tile
// server) and its real waypoint and track lists.
#include <QAction>
#include <QBuffer>
#include <QMenu>
#include <QElapsedTimer>
#include <filesystem>

#include "terrakon/app/list_overlays.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/queue_download_control.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/download/fetch_plate.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_switches.h"
#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/waypoint_lists.h"
#include "tests/app/app_fixture.h"
#include "tests/download/tile_server.h"

namespace tk::testing {
namespace {

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// Level 1 on a 512 x 512 view: one screen pixel is 2^29 pixel units, and
// screen (0, 512) is the world's south-west corner.
constexpr int64_t ScreenToX(int sx) { return int64_t{sx} << 29; }
constexpr int64_t ScreenToY(int sy) { return int64_t{512 - sy} << 29; }

bool Near(QRgb c, int r, int g, int b) {
  return std::abs(qRed(c) - r) < 40 && std::abs(qGreen(c) - g) < 40 && std::abs(qBlue(c) - b) < 40;
}

bool AnyPixel(const QImage& image, const QRect& area, int r, int g, int b) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (Near(image.pixel(x, y), r, g, b)) return true;
  return false;
}

void Screenshot(TMainForm& form, const char* name) {
  std::filesystem::create_directories(TK_SCREENSHOTS);
  form.grab().save(QString(TK_SCREENSHOTS "/%1.png").arg(name));
}

// A plate picture: top half red, bottom half blue, so a flip would show.
std::string PlateJpeg() {
  QImage picture(256, 256, QImage::Format_RGB32);
  picture.fill(QColor(220, 20, 20));
  for (int y = 128; y < 256; ++y)
    for (int x = 0; x < 256; ++x) picture.setPixel(x, y, qRgb(20, 20, 220));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "JPG", 95);
  return bytes.toStdString();
}

class ListsAndDownloadsTest : public MainFormTest {
 protected:
  void TearDown() override { form.reset(); }  // the window uses both below

  TMainForm& OpenWith(DownloadControl* downloads, MapOverlays* lists) {
    form = std::make_unique<TMainForm>(data, downloads, lists);
    form->show();
    form->paintBox()->setFixedSize(512, 512);
    settings::Cache.Set(form->settings(), dir.path());
    settings::UseInet.Set(form->settings(), downloads != nullptr);
    form->LoadSettings();
    form->RefreshView();
    Settle();
    return *form;
  }

  ListOverlays overlays;
};

TEST_F(ListsAndDownloadsTest, ServedPlateRepaintsItsRectangleAndA404ShowsNotFound) {
  TileServer server;
  server.Answer("q", TileAnswer().Body(PlateJpeg()));  // every other plate: 404
  SetLastRequestFile(dir.File("last_request.html"));
  QueueDownloadControl downloads;
  form = std::make_unique<TMainForm>(data, &downloads);
  form->show();
  form->paintBox()->setFixedSize(512, 512);
  settings::Cache.Set(form->settings(), dir.path());
  settings::UseInet.Set(form->settings(), true);
  settings::GEBase.Set(form->settings(), server.Url("/kh?t="));
  settings::ThreadsCount.Set(form->settings(), 2);
  CacheClear();
  form->LoadSettings();
  form->RefreshView();
  // Nothing repaints the view but the arrivals themselves.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000 && !(CacheLookup("q").IsImage() && CacheLookup("r").state() == PlateNotFound &&
                                      downloads.Counters().queued == 0))
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  Settle();
  ASSERT_TRUE(CacheLookup("q").IsImage());
  const QImage shot = Grab();
  EXPECT_TRUE(Near(shot.pixel(60, 40), 220, 20, 20));
  EXPECT_TRUE(Near(shot.pixel(60, 220), 20, 20, 220));
  // "Not found (404)" in "NotFoundColor" 0xFF0000 (blue) over plate "r".
  EXPECT_EQ(CacheLookup("r").state(), PlateNotFound);
  EXPECT_TRUE(AnyPixel(shot, QRect(300, 90, 200, 80), 0, 0, 255));
  EXPECT_GE(downloads.Counters().files, 1u);
  EXPECT_LE(server.RequestCount(), 4u);  // the four plates of level 1, once each
  Screenshot(*form, "downloaded_plate");
  form.reset();
  SetLastRequestFile("");
}

TEST_F(ListsAndDownloadsTest, RememberedWaypointAndTrackLoadAtStartAndAreDrawn) {
  const std::string wptFile = dir.File("camp.wpt"), pltFile = dir.File("walk.plt");
  {
    OpenWith(nullptr, &overlays);
    ASSERT_NE(overlays.lists(), nullptr);
    WaypointArray& waypoints = overlays.lists()->Waypoints();
    Waypoint w = waypoints.NewWaypoint(ScreenToX(150), ScreenToY(400));
    w.name = "Camp";
    w.background = 0x00FFFF;  // yellow
    waypoints.AddWaypoint(w);
    ASSERT_TRUE(waypoints.ExportWaypoints(wptFile, kOziWaypointFormat, false));
    TrackArray& tracks = *overlays.tracks();
    Track& t = tracks.AddTrack(tracks.NewTrack());
    t.color = 255;  // red
    t.lineWidth = 3;
    for (int sx : {20, 160, 300}) t.AddTrackPoint(t.NewTrackPoint(ScreenToX(sx), ScreenToY(450)));
    ASSERT_TRUE(t.ExportTrack(pltFile, kOziTrackFormat, false));
    settings::WP_LastFile.Set(form->settings(), wptFile);
    settings::TR_LastFile.Set(form->settings(), pltFile);
    form->SaveConfiguration(false);
    form.reset();
  }
  TMainForm& f = OpenWith(nullptr, &overlays);
  WaypointArray& waypoints = overlays.lists()->Waypoints();
  ASSERT_EQ(waypoints.Count(), 1u);
  EXPECT_EQ(waypoints.Items()[0].name, "Camp");
  EXPECT_FALSE(waypoints.Modified());
  TrackArray& tracks = *overlays.tracks();
  ASSERT_EQ(tracks.Count(), 2u);  // "GPS default track" and the file's
  EXPECT_EQ(tracks[1].Points().size(), 3u);
  EXPECT_FALSE(tracks.AnyTrackModified());

  QImage shot = Grab();
  EXPECT_TRUE(Near(shot.pixel(150, 400), 255, 255, 255));          // the symbol
  EXPECT_TRUE(AnyPixel(shot, QRect(140, 375, 20, 10), 255, 255, 0));  // the label box
  EXPECT_TRUE(AnyPixel(shot, QRect(90, 447, 20, 7), 255, 0, 0));     // the track
  Screenshot(f, "waypoint_and_track");

  // A list change repaints through the listener; a hidden track is gone.
  tracks[1].visible = false;
  tracks.CallListeners(1);
  Settle();
  shot = Grab();
  EXPECT_FALSE(AnyPixel(shot, QRect(90, 447, 20, 7), 255, 0, 0));
  // The hit test uses the stored position, ± 3 screen pixels.
  const int64_t unit = int64_t{1} << 29;
  EXPECT_EQ(overlays.FindWaypointAt(ScreenToX(147), ScreenToY(403), ScreenToX(153), ScreenToY(397)), 0);
  EXPECT_EQ(overlays.FindWaypointAt(ScreenToX(200), ScreenToY(200), ScreenToX(200) + unit, ScreenToY(200)), -1);
}

TEST_F(ListsAndDownloadsTest, CloseAsksAboutChangedWaypointsAndTracks) {
  TMainForm& f = OpenWith(nullptr, &overlays);
  overlays.lists()->Waypoints().SetModified(true);
  (*overlays.tracks())[0].modified = true;
  ui.yesNo = {true, true, true};
  ui.yesNoCancel = {{kAnswerCancel}, {kAnswerNo}, {kAnswerCancel}, {kAnswerNo}, {kAnswerNo}};
  f.close();  // Cancel to the waypoints
  Settle();
  EXPECT_TRUE(f.isVisible());
  f.close();  // No to the waypoints, Cancel to the tracks
  Settle();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(std::filesystem::exists(cfgPath));
  f.close();  // No to both
  Settle();
  EXPECT_FALSE(f.isVisible());
  std::vector<std::string> asked;
  for (const auto& e : ui.events)
    if (e.kind == "yesnocancel") asked.push_back(e.text);
  const std::string wp = "Waypoints are changed.\nSave changes before exit?";
  const std::string tr = "Tracks are changed.\nSave changes before exit?";
  EXPECT_EQ(asked, (std::vector<std::string>{wp, wp, tr, wp, tr}));
  EXPECT_TRUE(std::filesystem::exists(cfgPath));
  EXPECT_EQ(overlays.tracks()->Count(), 0u);  // cleared at exit
}

// The pop-up menu over a waypoint and over the bare map, with a stand-in
// for the waypoint editor, whose window lands with the list windows.
TEST_F(ListsAndDownloadsTest, PopupMenuEditsAddsAndDeletesWaypoints) {
  TMainForm& f = OpenWith(nullptr, &overlays);
  WaypointArray& waypoints = overlays.lists()->Waypoints();
  Waypoint w = waypoints.NewWaypoint(ScreenToX(150), ScreenToY(400));
  waypoints.AddWaypoint(w);
  waypoints.AddWaypoint(waypoints.NewWaypoint(ScreenToX(400), ScreenToY(100)));
  int edits = 0;
  SetWaypointEditor([&edits](Waypoint& edited) {
    edited.name = "Edited" + std::to_string(++edits);
    return true;
  });
  auto* popup = f.findChild<QMenu*>("popupMain");
  auto action = [&f](const char* name) { return f.findChild<QAction*>(name); };

  f.paintMouseMove(151, 401);
  EXPECT_EQ(f.paintBox()->cursor().shape(), Qt::PointingHandCursor);
  f.paintMouseDown(Qt::RightButton, 151, 401);
  f.paintMouseUp();
  EXPECT_TRUE(action("mnuEditWP")->isVisible());
  EXPECT_TRUE(action("mnuDelWP")->isVisible());
  EXPECT_FALSE(action("mnuAddWP")->isVisible());
  EXPECT_EQ(action("mnuNameWP")->text().toStdString(), "Waypoint: WP1");
  popup->close();
  action("mnuEditWP")->trigger();
  EXPECT_EQ(waypoints.Items()[0].name, "Edited1");
  ui.yesNo = {true};
  action("mnuDelWP")->trigger();
  ASSERT_EQ(waypoints.Count(), 1u);
  EXPECT_EQ(ui.events.back().text, "Delete 1 selected waypoints?");
  EXPECT_EQ(waypoints.Items()[0].X, ScreenToX(400));

  f.paintMouseMove(300, 300);
  f.paintMouseDown(Qt::RightButton, 300, 300);
  f.paintMouseUp();
  EXPECT_TRUE(action("mnuAddWP")->isVisible());
  EXPECT_FALSE(action("mnuDelWP")->isVisible());
  popup->close();
  action("mnuAddWP")->trigger();
  ASSERT_EQ(waypoints.Count(), 2u);
  EXPECT_EQ(waypoints.Items()[1].name, "Edited2");
  EXPECT_EQ(waypoints.Items()[1].X, ScreenToX(300));
  EXPECT_EQ(waypoints.Items()[1].Y, ScreenToY(300));
  SetWaypointEditor(nullptr);
}

// The file menu's list commands through the dialogs, and "Save all"
// enabled exactly while something is changed.
TEST_F(ListsAndDownloadsTest, FileMenuSavesClearsAndLoadsTheLists) {
  TMainForm& f = OpenWith(nullptr, &overlays);
  auto action = [&f](const char* name) { return f.findChild<QAction*>(name); };
  auto saveAllEnabled = [&f, &action] {
    emit f.findChild<QMenu*>("mnuFiles")->aboutToShow();
    return action("mnuSaveAll")->isEnabled();
  };
  WaypointArray& waypoints = overlays.lists()->Waypoints();
  TrackArray& tracks = *overlays.tracks();
  overlays.lists()->Places().SetModified(false);
  EXPECT_FALSE(saveAllEnabled());
  waypoints.AddWaypoint(waypoints.NewWaypoint(ScreenToX(150), ScreenToY(400)));
  EXPECT_TRUE(saveAllEnabled());

  const std::string wptFile = dir.File("menu.wpt"), pltFile = dir.File("menu.plt");
  ui.fileDialogs = {FileDialogResult{wptFile, 0}};
  action("mnuSaveWP")->trigger();
  EXPECT_TRUE(std::filesystem::exists(wptFile));
  EXPECT_EQ(settings::WP_LastFile.Get(f.settings()), wptFile);
  EXPECT_FALSE(saveAllEnabled());

  ui.yesNo = {true};
  action("mnuClearWP")->trigger();
  EXPECT_EQ(waypoints.Count(), 0u);
  EXPECT_EQ(settings::WP_LastFile.Get(f.settings()), "");
  ui.fileDialogs = {FileDialogResult{wptFile, 0}};
  action("popupLoadWP")->trigger();  // the load button's menu runs the same
  EXPECT_EQ(waypoints.Count(), 1u);
  EXPECT_FALSE(waypoints.Modified());

  // Save all asks about each changed track; Yes saves it through the dialog.
  Track& first = tracks[0];
  for (int sx : {20, 160}) first.AddTrackPoint(first.NewTrackPoint(ScreenToX(sx), ScreenToY(450)));
  EXPECT_TRUE(saveAllEnabled());
  ui.events.clear();
  ui.yesNoCancel = {{kAnswerYes}};
  ui.fileDialogs = {FileDialogResult{pltFile, 0}};
  action("mnuSaveAll")->trigger();
  EXPECT_TRUE(std::filesystem::exists(pltFile));
  EXPECT_FALSE(saveAllEnabled());
  ASSERT_FALSE(ui.events.empty());
  EXPECT_EQ(ui.events.front().text, "Track 1 named \"GPS default track\" is changed.\nSave changes?");

  ui.fileDialogs = {FileDialogResult{pltFile, 0}};
  action("mnuLoadTR")->trigger();
  ASSERT_EQ(tracks.Count(), 2u);
  EXPECT_EQ(tracks[1].Points().size(), 2u);
  ui.yesNo = {true};
  action("mnuClearTR")->trigger();
  ASSERT_EQ(tracks.Count(), 1u);
  EXPECT_TRUE(tracks[0].Points().empty());
  EXPECT_EQ(ui.events.back().text, "Delete all tracks?");
  EXPECT_EQ(settings::TR_LastFile.Get(f.settings()), "");
}

}  // namespace
}  // namespace tk::testing

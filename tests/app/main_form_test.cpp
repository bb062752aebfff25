#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <atomic>
#include <filesystem>
#include <thread>

#include "common/log.h"
#include "terrakon/app/download_control.h"
#include "terrakon/app/fatal_error.h"
#include "terrakon/app/log_combo_box.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/navigation.h"
#include "terrakon/app/selection_form.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_source.h"
#include "terrakon/plates/plate_switches.h"
#include "tests/app/app_fixture.h"

namespace tk::testing {
namespace {

const auto* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

constexpr int64_t kHalf = kWorldSize / 2;

void Screenshot(TMainForm& form, const char* name) {
  QDir().mkpath(TK_SCREENSHOTS);
  form.grab().save(QString(TK_SCREENSHOTS "/%1.png").arg(name));
}

// A plate picture: top half red, bottom half blue, so the flip shows.
void WritePlateJpeg(const std::string& key) {
  ASSERT_TRUE(MakePlateDirs(key));
  QImage picture(256, 256, QImage::Format_RGB32);
  picture.fill(QColor(220, 20, 20));
  for (int y = 128; y < 256; ++y)
    for (int x = 0; x < 256; ++x) picture.setPixel(x, y, qRgb(20, 20, 220));
  ASSERT_TRUE(picture.save(QString::fromStdString(PlatePath(key)), "JPG", 95));
}

bool Near(QRgb c, int r, int g, int b) {
  return std::abs(qRed(c) - r) < 40 && std::abs(qGreen(c) - g) < 40 && std::abs(qBlue(c) - b) < 40;
}

bool AnyPixel(const QImage& image, const QRect& area, int r, int g, int b) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (Near(image.pixel(x, y), r, g, b)) return true;
  return false;
}

void PointCacheAt(TMainForm& form, const std::string& folder) {
  settings::Cache.Set(form.settings(), folder);
  settings::UseInet.Set(form.settings(), false);
  form.LoadSettings();
  form.RefreshView();
}

TEST_F(MainFormTest, FirstStartSavesEveryKeyItReadWithItsDefault) {
  ASSERT_FALSE(std::filesystem::exists(cfgPath));
  TMainForm& f = Open();
  EXPECT_EQ(f.objectName(), "TMainForm");
  for (const char* name : {"panTopTools", "btnLoad", "btnSave", "cbZoom", "btnZoomIn", "btnZoomOut", "cbZoomAdd",
                           "btnUseInet", "btnSearch", "btnMove", "btnSelect", "btnCorrect", "btnDatum",
                           "btnCoordSys", "paint", "status", "status1", "cbLog", "tmRefresh", "tmSelTimer",
                           "popupMain", "popupCoords", "popupCoordSys", "popupLoad", "popupSave", "MainMenu"})
    EXPECT_NE(f.findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(f.windowTitle(), "Terrakon: 1 (1+0)");
  EXPECT_EQ(f.PanelText(0, 4), "Cache:");
  ui.yesNo = {true};  // "Terminate programm?"
  f.close();
  ASSERT_TRUE(std::filesystem::exists(cfgPath));

  HCfgStorage stored;
  stored.SetAutoLoad(false);
  stored.SetFileName(cfgPath);
  ASSERT_TRUE(stored.LoadFile());
  HStorageLink link(&stored, "IDE");
  // Keys the lists and windows of later work read are not expected here.
  const std::vector<std::string_view> notYet = {"CfgWindow", "SEL_Window", "SelList/Sec%d", "StorHdr/Sec%d",
                                                "TR_Def_Width", "TR_Def_Color", "TR_Def_FStyle", "TR_Def_FColor"};
  for (const SettingRow& row : settings::kMainSettings) {
    if (std::find(notYet.begin(), notYet.end(), row.key) != notYet.end()) continue;
    EXPECT_NE(link.LinkItem()->FindItem(row.key), nullptr) << row.key;
  }
  EXPECT_EQ(settings::MaxCount.Get(link), 100);
  EXPECT_EQ(settings::CenterXP.Get(link, 0), kHalf);
  EXPECT_EQ(settings::StartZoom.Get(link), 1);
  EXPECT_EQ(settings::GEBase.Get(link), std::string(settings::GEBase.DefaultValue()));
}

TEST_F(MainFormTest, ZoomAndOffsetLimitsWithTheCacheQuestion) {
  TMainForm& f = Open();
  f.SetZoom(31);
  EXPECT_EQ(int64_t{f.view().Zoom}, 30);
  EXPECT_EQ(f.windowTitle(), "Terrakon: 30 (30+0)");
  f.SetZoom(0);
  EXPECT_EQ(int64_t{f.view().Zoom}, 1);
  EXPECT_EQ(int64_t{f.view().PlateUnitsX}, kWorldSize / 2);
  EXPECT_EQ(int64_t{f.view().PixelUnitsX}, kWorldSize / 512);
  // Offset 5 needs far more than 100 plates: Cancel keeps offset 0 ...
  ui.yesNoCancel = {{kAnswerCancel, false}};
  f.SetZoomOffset(9);
  EXPECT_EQ(f.zoomOffset(), 0);
  EXPECT_EQ(f.findChild<QComboBox*>("cbZoomAdd")->currentIndex(), 0);
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_NE(ui.events[0].text.find("It is too small for selected zoom level!"), std::string::npos);
  // ... Yes takes offset 5 (limited from 9) and the needed cache size.
  ui.yesNoCancel = {{kAnswerYes, false}};
  f.SetZoomOffset(9);
  EXPECT_EQ(f.zoomOffset(), 5);
  EXPECT_EQ(f.findChild<QComboBox*>("cbZoomAdd")->currentIndex(), -1);
  EXPECT_EQ(settings::MaxCount.Get(f.settings()), NeededCachePlates(5, 640, 400));
  EXPECT_EQ(CacheCountLimit(), NeededCachePlates(5, 640, 400));
}

TEST_F(MainFormTest, WheelNotchesAndKeys) {
  TMainForm& f = Open();
  f.SetZoom(5);
  f.WheelTurned(-1, false);
  EXPECT_EQ(int64_t{f.view().Zoom}, 4);
  f.WheelTurned(121, false);
  EXPECT_EQ(int64_t{f.view().Zoom}, 6);
  f.WheelTurned(120, true);
  EXPECT_EQ(f.zoomOffset(), 1);
  auto key = [&](int k, Qt::KeyboardModifiers m) {
    QKeyEvent press(QEvent::KeyPress, k, m);
    QApplication::sendEvent(f.paintBox(), &press);
  };
  key(Qt::Key_Z, Qt::NoModifier);
  EXPECT_EQ(int64_t{f.view().Zoom}, 7);
  key(Qt::Key_Z, Qt::ShiftModifier);
  EXPECT_EQ(int64_t{f.view().Zoom}, 6);
  key(Qt::Key_Z, Qt::ControlModifier);  // does nothing
  EXPECT_EQ(int64_t{f.view().Zoom}, 6);
  key(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(int64_t{f.view().Zoom}, 7);
  key(Qt::Key_Minus, Qt::NoModifier);
  EXPECT_EQ(int64_t{f.view().Zoom}, 6);
}

TEST_F(MainFormTest, PanningStopsAtTheWorldsEdge) {
  TMainForm& f = Open();
  f.SetZoom(2);
  for (int i = 0; i < 10; ++i) {  // the map follows east: the centre moves west
    f.paintMouseDown(Qt::LeftButton, 0, 200);
    f.paintMouseMove(640, 200);
    f.paintMouseUp();
  }
  EXPECT_EQ(int64_t{f.view().CenterX}, 0);
  f.paintMouseDown(Qt::LeftButton, 300, 200);
  for (int i = 0; i < 40; ++i) {
    f.paintMouseMove(300, 0);
    f.paintMouseUp();
    f.paintMouseDown(Qt::LeftButton, 300, 399);
  }
  f.paintMouseUp();
  EXPECT_EQ(int64_t{f.view().CenterY}, 0);
}

TEST_F(MainFormTest, SelectToolDragRulesAndSelectionList) {
  TMainForm& f = Open();
  f.SetZoom(10);
  f.SetTool(kToolSelect);
  ASSERT_NE(f.selectionForm(), nullptr);
  TSelectionForm* list = f.selectionForm();
  EXPECT_FALSE(list->findChild<QPushButton*>("btnLoad")->isEnabled());
  EXPECT_TRUE(list->findChild<QLabel*>("txtSelected")->text().endsWith("Avg size: 0"));
  // Press away from the selection and drag west and south: zero width.
  f.paintMouseMove(300, 200);
  ASSERT_EQ(f.hitHandle(), kHitNothing);
  f.paintMouseDown(Qt::LeftButton, 300, 200);
  f.paintMouseMove(250, 260);
  f.paintMouseUp();
  const QuadcalcContext& v = f.view();
  EXPECT_EQ(int64_t{v.SelX1}, int64_t{v.SelX});
  EXPECT_LT(int64_t{v.SelY1}, int64_t{v.SelY});
  EXPECT_EQ(list->findChild<QTableWidget*>("lstSelect")->item(9, 3)->text().toInt() >= 1, true);
  // A fresh drag east and south makes a real rectangle; its corner hit test follows.
  f.paintMouseMove(100, 100);
  f.paintMouseDown(Qt::LeftButton, 100, 100);
  f.paintMouseMove(200, 150);
  f.paintMouseUp();
  EXPECT_GT(int64_t{v.SelX1}, int64_t{v.SelX});
  f.paintMouseMove(200, 150);
  EXPECT_EQ(f.hitHandle(), kHitBottomRight);
  EXPECT_EQ(f.paintBox()->cursor().shape(), Qt::SizeFDiagCursor);
  // Right button pans.
  const int64_t centre = v.CenterX;
  f.paintMouseDown(Qt::RightButton, 300, 200);
  f.paintMouseMove(310, 200);
  f.paintMouseUp();
  EXPECT_EQ(int64_t{v.CenterX}, centre - 10 * int64_t{v.PixelUnitsX});
  Screenshot(f, "select_tool");
  // Ticks drive the buttons; closing the list by hand picks the move tool.
  list->ToggleLevel(9);
  EXPECT_TRUE(list->findChild<QPushButton*>("btnExport")->isEnabled());
  list->InvertSelection();
  EXPECT_EQ(std::count(list->ticks().begin(), list->ticks().end(), true), 29);
  list->SelectNone();
  EXPECT_FALSE(list->findChild<QPushButton*>("btnAnalize")->isEnabled());
  list->close();
  Settle();
  EXPECT_EQ(f.tool(), kToolMove);
  EXPECT_EQ(f.selectionForm(), nullptr);
}

TEST_F(MainFormTest, CorrectionToolAtLevel20MovesBy1024UnitsAPixel) {
  TMainForm& f = Open();
  f.SetZoom(20);
  f.SetTool(kToolCorrect);
  f.paintMouseDown(Qt::LeftButton, 100, 100);
  f.paintMouseMove(101, 99);
  f.paintMouseUp();
  EXPECT_EQ(settings::GlobalCorrectX.Get(f.settings()), -1024);
  EXPECT_EQ(settings::GlobalCorrectY.Get(f.settings()), 1024);
}

TEST_F(MainFormTest, DiskCachePlateIsPaintedUpright) {
  TMainForm& f = Open(512, 512);
  PointCacheAt(f, dir.path());
  WritePlateJpeg("q");  // level 1, north-west: screen 0 ... 255 x 0 ... 255
  CacheClear();
  f.RefreshView();
  const QImage shot = Grab();
  EXPECT_TRUE(Near(shot.pixel(60, 40), 220, 20, 20));   // top half red
  EXPECT_TRUE(Near(shot.pixel(60, 220), 20, 20, 220));  // bottom half blue
  EXPECT_NE(f.PanelText(1, 7), "");
  // Missing plates show their placeholder text in "NotExitColor" (black).
  EXPECT_TRUE(AnyPixel(shot, QRect(300, 100, 200, 60), 0, 0, 0));
  Screenshot(f, "disk_cache_plate");
}

TEST_F(MainFormTest, RefusedPlateShowsItsStateAndAncestorsStandIn) {
  TMainForm& f = Open(512, 512);
  PointCacheAt(f, dir.path());
  CacheStore(PlateNotFound, "r");
  f.RefreshView();
  QImage shot = Grab();
  // "NotFoundColor" 0xFF0000 is blue in 0x00BBGGRR.
  EXPECT_TRUE(AnyPixel(shot, QRect(300, 90, 200, 80), 0, 0, 255));
  // "UseBigImage": level-2 plates drawn from the level-1 picture.
  WritePlateJpeg("q");
  settings::UseBigImage.Set(f.settings(), true);
  f.LoadSettings();
  f.SetZoom(2);
  f.SetViewCenter(kWorldSize / 4, kWorldSize * 3 / 4);  // centre of plate "q"
  shot = Grab();
  EXPECT_TRUE(Near(shot.pixel(10, 10), 220, 20, 20));
  EXPECT_TRUE(Near(shot.pixel(10, 500), 20, 20, 220));
  Screenshot(f, "placeholders");
}

// The downloader seam with counters, and a plate source that records queues.
struct FakeDownloads final : DownloadControl, PlateDownloader {
  bool Start(Arrived a) override { arrived = std::move(a); return true; }
  void Shutdown() override { ++shutdowns; }
  bool ApplyInetOptions(const InetSettings&) override { return true; }
  void PurgeRequests() override { ++purges; }
  DownloadCounters Counters() override { return {12345, 2, 1}; }
  bool Ready() override { return true; }
  bool Queue(int64_t, int64_t, int, std::string_view) override { ++queued; return true; }
  Arrived arrived;
  std::atomic<int> purges{0}, queued{0}, shutdowns{0};
};

TEST_F(MainFormTest, ArrivedPlateRepaintsOnlyItsRectangleWithoutQueueing) {
  auto downloads = std::make_shared<FakeDownloads>();
  SetPlateDownloader(downloads);
  form = std::make_unique<TMainForm>(data, downloads.get());
  form->show();
  form->paintBox()->setFixedSize(512, 512);
  settings::Cache.Set(form->settings(), dir.path());
  form->LoadSettings();
  form->RefreshView();
  Settle();
  EXPECT_GE(downloads->purges.load(), 1);
  EXPECT_EQ(downloads->queued.load(), 4);  // the four plates of level 1
  EXPECT_EQ(form->PanelText(1, 5), "12.345K / 2/1");
  const int purges = downloads->purges.load();
  // A worker finishes "q"; another level's plate repaints nothing.
  WritePlateJpeg("q");
  CacheRemove("q");
  std::thread worker([&] {
    downloads->arrived(0, 1, 1);
    downloads->arrived(0, 0, 7);
  });
  worker.join();
  Settle();
  EXPECT_EQ(downloads->purges.load(), purges);  // a partial paint keeps the queue
  EXPECT_EQ(downloads->queued.load(), 4);       // and queues nothing
  EXPECT_TRUE(Switches().useInet);
  const QImage shot = Grab();
  EXPECT_TRUE(Near(shot.pixel(60, 40), 220, 20, 20));
  form.reset();
  EXPECT_EQ(downloads->shutdowns.load(), 1);
  SetPlateDownloader(nullptr);
}

TEST_F(MainFormTest, LongPaintHandsTheRestToAContinuation) {
  TMainForm& f = Open(1024, 512);
  f.SetZoom(3);
  f.SetPaintBudget(-1);  // every column past the first waits for the next round
  f.RefreshView();
  QApplication::processEvents();
  for (int i = 0; i < 50 && f.platesPending(); ++i) QApplication::processEvents();
  EXPECT_FALSE(f.platesPending());
  EXPECT_NE(f.PanelText(1, 7), "");
}

TEST_F(MainFormTest, CloseAsksAndKeepsRunningOnNo) {
  TMainForm& f = Open();
  Screenshot(f, "start");
  ui.yesNo = {false, true};
  f.close();
  Settle();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(std::filesystem::exists(cfgPath));
  f.close();
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(std::filesystem::exists(cfgPath));
  ASSERT_EQ(ui.events.size(), 2u);
  EXPECT_EQ(ui.events[0].text, "Terminate programm?");
  const std::string log = ReadWholeFile(dir.File("Terrakon.log"));
  for (const char* line : {"Starting...", "OK", "Shutdown INET lib...", "Save cfg...", "Shutting down..."})
    EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(MainFormTest, LogBoxShowsNewestLineAndTakesWorkerLines) {
  TMainForm& f = Open();
  auto* box = f.findChild<HLogComboBox*>("cbLog");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->maxVisibleItems(), 20);
  for (int i = 0; i < 501; ++i) Log("line %d", i);
  EXPECT_LE(box->count(), 500);
  EXPECT_EQ(box->currentText(), "line 500");
  std::thread worker([] { Log("from a worker"); });
  worker.join();
  EXPECT_NE(box->currentText(), "from a worker");  // handed over, not written from the worker
  Settle();
  EXPECT_EQ(box->currentText(), "from a worker");
}

TEST(FatalErrorTest, ShowsTheBoxAndEndsWithCode1) {
  EXPECT_EQ(FatalErrorText("GeoTrans initialization fail", 0), "GeoTrans initialization fail");
  EXPECT_NE(FatalErrorText("x", 2).find("\nStdError: "), std::string::npos);
  EXPECT_EXIT(
      {
        SetFatalErrorBox([](const std::string& text) { std::fprintf(stderr, "BOX[%s]", text.c_str()); });
        FatalError("Cannot load %s", "it");
      },
      ::testing::ExitedWithCode(1), "BOX\\[Cannot load it\\]");
}

}  // namespace
}  // namespace tk::testing

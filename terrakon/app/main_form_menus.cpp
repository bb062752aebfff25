// The main window's menus, keys and the commands they run.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "common/error.h"
#include "common/log.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/map_overlays.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/navigation.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/geodesy/coord_choice.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/geodesy/geodesy.h"
#include "terrakon/plates/data_module.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/visible_range.h"

namespace tk {
namespace {

QString Tr(const char* text) { return QString::fromUtf8(Translate(text)); }

// Tags drive the check marks computed when a menu opens.
constexpr int kTagListWaypoints = 30, kTagListTracks = 31, kTagChanged = 32, kTagDrawAll = 33,
              kTagExplorer = 34, kTagHilight = 35, kTagUseInet = 36, kTagPlaces = 37;

QAction* Item(QMenu* menu, const char* caption, const char* name, int tag = -1, const QKeySequence& keys = {}) {
  QAction* a = menu->addAction(Tr(caption));
  a->setObjectName(name);
  a->setData(tag);
  if (!keys.isEmpty()) a->setShortcut(keys);
  return a;
}

}  // namespace

void TMainForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu");
  auto guarded = [](auto f) { return [f] { Guarded(f); }; };
  // Commands whose windows are not part of the main window do nothing here.
  auto waiting = [] {};

  QMenu* files = bar->addMenu(Tr("&F Files"));
  files->setObjectName("mnuFiles");
  using Command = MapOverlays::Command;
  auto listCommand = [this, guarded](Command c) {
    return guarded([this, c] {
      if (overlays_) overlays_->Run(c);
    });
  };
  auto fillLoadSave = [&](QMenu* m, const char* prefix, Command waypoints, Command track) {
    connect(Item(m, "&1. Waypoints...", (std::string(prefix) + "WP").c_str(), 0), &QAction::triggered, this,
            listCommand(waypoints));
    connect(Item(m, "&2. Track...", (std::string(prefix) + "TR").c_str(), 1), &QAction::triggered, this,
            listCommand(track));
  };
  auto fillLoad = [&](QMenu* m, const char* prefix) {
    fillLoadSave(m, prefix, Command::kLoadWaypoints, Command::kLoadTrack);
  };
  auto fillSave = [&](QMenu* m, const char* prefix) {
    fillLoadSave(m, prefix, Command::kSaveWaypoints, Command::kSaveTracks);
  };
  QMenu* mnuLoad = files->addMenu(Tr("&L Load"));
  mnuLoad->setObjectName("mnuLoad");
  fillLoad(mnuLoad, "mnuLoad");
  QMenu* mnuSave = files->addMenu(Tr("&V Save"));
  mnuSave->setObjectName("mnuSave");
  fillSave(mnuSave, "mnuSave");
  QMenu* mnuClear = files->addMenu(Tr("&C Clear"));
  mnuClear->setObjectName("mnuClear");
  fillLoadSave(mnuClear, "mnuClear", Command::kClearWaypoints, Command::kClearTracks);
  files->addSeparator();
  connect(Item(files, "&F Options...", "mnuConfig"), &QAction::triggered, this, waiting);
  connect(Item(files, "&V Save all", "mnuSaveAll", kTagChanged), &QAction::triggered, this,
          listCommand(Command::kSaveAll));
  connect(Item(files, "&S Save configuration...", "mnuSaveCfg", -1, QKeySequence("Shift+F9")), &QAction::triggered,
          this, guarded([this] { SaveConfiguration(true); }));
  files->addSeparator();
  connect(Item(files, "&X Exit", "mnuExit"), &QAction::triggered, this, [this] { close(); });

  QMenu* viewMenu = bar->addMenu(Tr("&V View"));
  viewMenu->setObjectName("mnuView");
  // Keypad keys are handled with the other zoom keys; the text only shows them.
  QAction* zoomIn = Item(viewMenu, "Zoom In", "mnuZoomIn");
  zoomIn->setText(zoomIn->text() + "\tNum++");
  connect(zoomIn, &QAction::triggered, this, guarded([this] { SetZoom(data_.view.Zoom + 1); }));
  QAction* zoomOut = Item(viewMenu, "Zoom Out", "mnuZoomOut");
  zoomOut->setText(zoomOut->text() + "\tNum+-");
  connect(zoomOut, &QAction::triggered, this, guarded([this] { SetZoom(data_.view.Zoom - 1); }));
  viewMenu->addSeparator();
  connect(Item(viewMenu, "Move", "mnuMove", 50, QKeySequence(Qt::Key_Space)), &QAction::triggered, this,
          guarded([this] { SetTool(kToolMove); }));
  connect(Item(viewMenu, "Select area", "mnuSelect", 51, QKeySequence("Ctrl+S")), &QAction::triggered, this,
          guarded([this] { SetTool(tool_ != kToolSelect ? kToolSelect : kToolMove); }));
  connect(Item(viewMenu, "Offset correction", "mnuCorrect", 52), &QAction::triggered, this, guarded([this] {
            SetTool(kToolCorrect);
            btnCorrect_->setChecked(true);
          }));
  viewMenu->addSeparator();
  connect(Item(viewMenu, "Waypoints", "mnuWaypoints", kTagListWaypoints, QKeySequence("Alt+W")),
          &QAction::triggered, this, waiting);
  connect(Item(viewMenu, "Tracks", "mnuTracks", kTagListTracks, QKeySequence("Alt+T")), &QAction::triggered, this,
          waiting);
  connect(Item(viewMenu, "Simple places...", "mnuPlaces", kTagPlaces, QKeySequence("Alt+P")), &QAction::triggered,
          this, waiting);

  QMenu* toolsMenu = bar->addMenu(Tr("&I Tools"));
  toolsMenu->setObjectName("mnuTools");
  connect(Item(toolsMenu, "&F Goto...", "mnuGoto", -1, QKeySequence("Ctrl+F")), &QAction::triggered, this, waiting);
  connect(Item(toolsMenu, "Cache explorer...", "mnuExplorer", kTagExplorer, QKeySequence("Ctrl+Shift+C")),
          &QAction::triggered, this, waiting);
  connect(Item(toolsMenu, "Redraw", "mnuRedraw", -1, QKeySequence("Ctrl+R")), &QAction::triggered, this,
          guarded([this] { RefreshView(); }));
  connect(Item(toolsMenu, "Allow internet access", "mnuUseInet", kTagUseInet, QKeySequence("Ctrl+I")),
          &QAction::triggered, this, guarded([this] { ToggleUseInet(); }));
  connect(Item(toolsMenu, "Clear memory cache", "mnuClearCache", -1, QKeySequence("Ctrl+Shift+M")),
          &QAction::triggered, this, guarded([this] {
            if (AskYesNo("%s", Translate("Delete all memory cache contents?"))) {
              CacheClear();
              RefreshView();
            }
          }));
  connect(Item(toolsMenu, "Draw all track points", "mnuDrawAll", kTagDrawAll, QKeySequence("Ctrl+Shift+T")),
          &QAction::triggered, this, guarded([this] {
            settings::TRDrawAll.Set(link_, !settings::TRDrawAll.Get(link_));
            RefreshView();
          }));
  connect(Item(toolsMenu, "Highlight found images", "mnuHilight", kTagHilight, QKeySequence("Ctrl+Shift+H")),
          &QAction::triggered, this, guarded([this] {
            paintSettings_.hilightFound = settings::HilightFound.Set(link_, !settings::HilightFound.Get(link_));
            RefreshView();
          }));
  connect(Item(toolsMenu, "Reload images", "mnuReload"), &QAction::triggered, this,
          guarded([this] { ReloadImages(); }));
  connect(Item(toolsMenu, "&D Datum...", "mnuDatum"), &QAction::triggered, this, waiting);
  QMenu* mnuCoordSys = toolsMenu->addMenu(Tr("&S Coordinate system"));
  mnuCoordSys->setObjectName("mnuCoordSys");
  QMenu* miCoords = toolsMenu->addMenu(Tr("&C Display coordinate type"));
  miCoords->setObjectName("miCoords");

  popupCoords_ = new QMenu(this);
  popupCoords_->setObjectName("popupCoords");
  for (QMenu* m : {miCoords, popupCoords_})
    for (int i = 0; i < DegTypeCount(); ++i) {
      QAction* a = m->addAction(QString::fromUtf8(DegTypeName(i)));
      a->setData(100 + i);
      connect(a, &QAction::triggered, this, guarded([i] { SetCurrentDegType(i); }));
    }
  auto* popupCoordSys = new QMenu(this);
  popupCoordSys->setObjectName("popupCoordSys");
  for (QMenu* m : {mnuCoordSys, popupCoordSys})
    for (int i = 0; i < CoordSysCount(); ++i) {
      QAction* a = m->addAction(QString::fromUtf8(CoordSysName(i)));
      a->setData(300 + i);
      connect(a, &QAction::triggered, this, guarded([i] { SetCurrentCoordSys(i); }));
    }
  btnCoordSys_->setMenu(popupCoordSys);
  connect(btnDatum_, &QToolButton::clicked, this, waiting);

  auto* popupLoad = new QMenu(this);
  popupLoad->setObjectName("popupLoad");
  fillLoad(popupLoad, "popupLoad");
  auto* popupSave = new QMenu(this);
  popupSave->setObjectName("popupSave");
  fillSave(popupSave, "popupSave");
  findChild<QToolButton*>("btnLoad")->setMenu(popupLoad);
  findChild<QToolButton*>("btnSave")->setMenu(popupSave);

  popupMain_ = new QMenu(this);
  popupMain_->setObjectName("popupMain");
  Item(popupMain_, "Cancel menu", "mnuCancel");
  mnuNameWP_ = Item(popupMain_, "Waypoint: %s", "mnuNameWP");
  mnuNameWP_->setEnabled(false);
  mnuEditWP_ = Item(popupMain_, "Edit waypoints props...", "mnuEditWP");
  connect(mnuEditWP_, &QAction::triggered, this, listCommand(Command::kEditWaypoint));
  mnuAddWP_ = Item(popupMain_, "Add waypoint at current position...", "mnuAddWP");
  connect(mnuAddWP_, &QAction::triggered, this, guarded([this] {
            if (overlays_) overlays_->AddWaypointAt(pointerX_, pointerY_);
          }));
  mnuDelWP_ = Item(popupMain_, "Delete waypoint...", "mnuDelWP");
  connect(mnuDelWP_, &QAction::triggered, this, listCommand(Command::kDeleteWaypoints));
  popupMain_->addSeparator();
  connect(Item(popupMain_, "Open explorer folder with plate path...", "mnuExplore"), &QAction::triggered, this,
          guarded([this] {
            std::filesystem::path folder = PointerPlatePath();
            std::error_code ignored;
            // The plate's folder may not exist yet: show the nearest one that does.
            while (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) folder = folder.parent_path();
            if (!folder.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
          }));
  connect(Item(popupMain_, "Copy plate path to cipboard", "mnuCopyPath"), &QAction::triggered, this,
          guarded([this] { CopyToClipboard(PointerPlatePath()); }));
  connect(Item(popupMain_, "Copy plate name to clipboard", "mnuCopyName"), &QAction::triggered, this,
          guarded([this] { CopyToClipboard(PlateKeyText(pointerColumn_, pointerRow_, data_.view.Zoom)); }));
  connect(Item(popupMain_, "Export loaded images to storage...", "mnuExportStorage"), &QAction::triggered, this,
          waiting);
  mnuReloadPopup_ = Item(popupMain_, "Reload images", "mnuReloadPopup");
  connect(mnuReloadPopup_, &QAction::triggered, this, guarded([this] { ReloadImages(); }));

  for (QMenu* m : findChildren<QMenu*>())
    connect(m, &QMenu::aboutToShow, this, [this, m] { UpdateMenuChecks(m); });
}

void TMainForm::UpdateMenuChecks(QMenu* menu) {
  const CoordChoice& c = CurrentChoice();
  for (QAction* a : menu->actions()) {
    bool ok = false;
    const int tag = a->data().toInt(&ok);
    if (!ok || tag < 30) continue;
    bool checked = false;
    if (tag == kTagDrawAll)
      checked = settings::TRDrawAll.Get(link_);
    else if (tag == kTagHilight)
      checked = settings::HilightFound.Get(link_);
    else if (tag == kTagUseInet)
      checked = settings::UseInet.Get(link_);
    else if (tag == kTagChanged) {
      a->setEnabled(overlays_ && overlays_->AnyChanged());
      continue;
    } else if (tag >= 50 && tag <= 99)
      checked = tool_ + 50 == tag;
    else if (tag >= 100 && tag <= 199)
      checked = c.degType + 100 == tag;
    else if (tag >= 200 && tag <= 299)
      checked = c.datum + 200 == tag;
    else if (tag >= 300)
      checked = c.coordSys + 300 == tag;
    a->setCheckable(true);
    a->setChecked(checked);
  }
}

void TMainForm::PopupMain(const QPoint& globalPos) {
  const bool overWaypoint = hitHandle_ == kHitWaypoint && hoverWaypoint_ >= 0 && overlays_;
  if (overWaypoint) {
    overlays_->SelectOnlyWaypoint(hoverWaypoint_);
    mnuNameWP_->setText(QString::asprintf(Translate("Waypoint: %s"), overlays_->WaypointName(hoverWaypoint_).c_str()));
  }
  mnuNameWP_->setVisible(overWaypoint);
  mnuEditWP_->setVisible(overWaypoint);
  mnuDelWP_->setVisible(overWaypoint);
  mnuAddWP_->setVisible(!overWaypoint);
  mnuReloadPopup_->setEnabled(settings::UseInet.Get(link_));
  popupMain_->popup(globalPos);
}

std::string TMainForm::PointerPlatePath() const {
  return PlatePath(PlateKeyText(pointerColumn_, pointerRow_, data_.view.Zoom), "");
}

void TMainForm::CopyToClipboard(const std::string& text) {
  QApplication::clipboard()->setText(QString::fromStdString(text));
}

void TMainForm::ReloadImages() {
  // Levels past 30 have no plates of their own; the deepest level stands in.
  const int level = EffectiveLevel(ClampZoom(data_.view.Zoom), zoomOffset_);
  const PlateRange range = VisiblePlateRange(data_.view, level);
  for (int64_t c = range.firstColumn; c <= range.lastColumn; ++c)
    for (int64_t r = range.firstRow; r <= range.lastRow; ++r) {
      const std::string key = PlateKeyText(c, r, level);
      CacheRemove(key);
      const std::string path = PlatePath(key);
      std::error_code error;
      if (!std::filesystem::exists(path, error)) continue;
      if (std::remove(path.c_str()) != 0) {
        SetLastErrorFromErrno();
        Log(Translate("Error delete [%s]: %s"), path.c_str(), ErrorText().c_str());
      }
    }
  RefreshView();
}

bool TMainForm::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers & Qt::KeypadModifier;
  const Qt::KeyboardModifiers plain = modifiers & ~Qt::KeypadModifier;
  if (key == Qt::Key_Z && plain == Qt::NoModifier) return SetZoom(data_.view.Zoom + 1), true;
  if (key == Qt::Key_Z && plain == Qt::ShiftModifier) return SetZoom(data_.view.Zoom - 1), true;
  if (plain != Qt::NoModifier && !(plain == Qt::ShiftModifier && key == Qt::Key_Plus && !keypad)) return false;
  if (key == Qt::Key_Plus || key == Qt::Key_Equal) return SetZoom(data_.view.Zoom + 1), true;
  if (key == Qt::Key_Minus) return SetZoom(data_.view.Zoom - 1), true;
  return false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == this && !closed_) {
      auto* key = static_cast<QKeyEvent*>(event);
      bool used = false;
      Guarded([&] { used = HandleKey(key->key(), key->modifiers()); });
      if (used) return true;
    }
  } else if (event->type() == QEvent::MouseButtonPress) {
    // Status panels of the centre and pointer read-outs offer the degree types.
    for (int b = 0; b < 2; ++b)
      for (int i : {1, 3})
        if (watched == panels_[b][i] && (b == 0 || i == 3)) {
          popupCoords_->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
          return true;
        }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tk

#include "terrakon/app/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cinttypes>
#include <cstdio>

#include "common/error.h"
#include "common/log.h"
#include "common/logging.h"
#include "common/paths.h"
#include "common/size_text.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/app/download_control.h"
#include "terrakon/app/fatal_error.h"
#include "terrakon/app/log_combo_box.h"
#include "terrakon/app/main_view_callbacks.h"
#include "terrakon/app/map_overlays.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/navigation.h"
#include "terrakon/app/selection_form.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/geodesy/coord_choice.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/geodesy/geodesy.h"
#include "terrakon/geodesy/geoid.h"
#include "terrakon/plates/data_module.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_settings.h"
#include "terrakon/plates/plate_switches.h"
#include "terrakon/plugins/plugin_host_info.h"
#include "terrakon/plugins/plugins_array.h"
#include "terrakon/plugins/storage_array.h"
#include "terrakon/plugins/storage_reading.h"

namespace tk {
namespace {

TMainForm* g_form = nullptr;

QString Tr(const char* text) { return QString::fromUtf8(Translate(text)); }

constexpr int kPanelWidths[9] = {25, 200, 25, 250, 40, 200, 25, 150, 50};  // at 96 dpi
constexpr const char* kPanelLabels[2][9] = {
    {"C:", "", "M:", "", "Cache:", "", "H:", "", ""},
    {"G:", "", "U:", "", "Inet:", "", "Tm:", "", ""},
};

int32_t ViewWidth() { return g_form && g_form->paintBox() ? g_form->paintBox()->width() : 0; }
int32_t ViewHeight() { return g_form && g_form->paintBox() ? g_form->paintBox()->height() : 0; }
void ViewCenter(int64_t x, int64_t y) {
  if (g_form) g_form->SetViewCenter(x, y);
}
void ViewRect(int64_t* rect) {
  const int32_t w = ViewWidth(), h = ViewHeight();
  rect[0] = ScreenX2G(0);
  rect[1] = ScreenY2G(h);
  rect[2] = ScreenX2G(w);
  rect[3] = ScreenY2G(0);
}
void ClientRect(int32_t* rect) {
  rect[0] = 0;
  rect[1] = 0;
  rect[2] = ViewWidth();
  rect[3] = ViewHeight();
}

QToolButton* ToolButton(QWidget* parent, const char* name, const char* text, const char* hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(QString::fromUtf8(Translate(text)));
  b->setToolTip(QString::fromUtf8(Translate(hint)));
  b->setAutoRaise(true);
  return b;
}

}  // namespace

ViewCallbacks MainViewCallbacks() {
  ViewCallbacks c;
  c.GetViewWidth = ViewWidth;
  c.GetViewHeight = ViewHeight;
  c.SetViewCenter = ViewCenter;
  c.GetViewRect = ViewRect;
  c.GetClientRect = ClientRect;
  return c;
}

TMainForm* TMainForm::Instance() { return g_form; }
QuadcalcContext& TMainForm::view() { return data_.view; }

TMainForm::TMainForm(TData& data, DownloadControl* downloader, MapOverlays* overlays)
    : data_(data), downloader_(downloader), overlays_(overlays), strip_(SelectionBrushStrip::BuiltIn()) {
  g_form = this;
  setObjectName("TMainForm");
  // 1. The window from its design.
  BuildWindow();
  // 2-3. Logging, with the store's file from "CFG" and the log from "LOG".
  cfg_.SetAutoLoad(false);
  cfg_.SetAutoSave(false);
  std::string storeFile = "Terrakon.hcfg";
  cbLog_->core()->SetLogFile("Terrakon.log");
  InitLogging(cbLog_->core(), &storeFile);
  cfg_.SetFileName(storeFile);
  Log("Starting...");
  // 4-5. The settings.
  link_.SetStorage(&cfg_);
  link_.SetKeyPath("IDE");
  cfg_.LoadFile();
  // 6-8. Geodesy, downloader, memory cache.
  if (!InitGeodesy(link_)) FatalError("%s", Translate("GeoTrans initialization fail"));
  if (downloader_ &&
      !downloader_->Start([](int64_t column, int64_t row, int zoom) {
        if (g_form) g_form->PlateArrived(column, row, zoom);
      }))
    Log(Translate("Can not initialize sockets. Access to google service is blocked. (%s)"), ErrorText().c_str());
  // Plugins see the main view; storages answer the plate source chain.
  SetPluginHostContext(&data_.view);
  InstallStorageReader();
  // 9-11, 14. Menus.
  BuildMenus();
  SetChoiceListener([this](ChoiceChange) {
    const CoordChoice& c = CurrentChoice();
    data_.view.DatumNum = c.datum;
    data_.view.CoordSys = c.coordSys;
    data_.view.DegType = c.degType;
    btnDatum_->setText(QString::fromUtf8(DatumCode(c.datum) ? DatumCode(c.datum) : "?"));
    btnCoordSys_->setText(QString::fromUtf8(CoordSysName(c.coordSys) ? CoordSysName(c.coordSys) : "?"));
    UpdateTitle();
    RefreshView();
  });
  // 12. Status bars scaled to the screen.
  BuildStatusBars();
  // 13. Selection pattern.
  LoadSelectionPattern();
  // 17. The cache folder is kept in its program-relative form.
  const std::string cache = settings::Cache.Get(link_);
  if (IsAbsolutePath(cache)) settings::Cache.Set(link_, StoredPath(cache));
  Log("%s", Translate("Load cfg..."));
  // 19-20.
  LoadViewState();
  dragState_ = 0;
  SetTool(kToolMove);
  // 21-22.
  LoadSettings();
  if (settings::SaveViewPos.Get(link_))
    SetViewCenter(settings::CenterXP.Get(link_, data_.view.CenterX), settings::CenterYP.Get(link_, data_.view.CenterY));
  // 23-26. The waypoint, places and track files load with their lists.
  if (settings::WPAutoload.Get(link_)) settings::WP_LastFile.Get(link_);
  settings::WP_LastFormat.Get(link_);
  if (settings::TRAutoload.Get(link_)) settings::TR_LastFile.Get(link_);
  if (overlays_) overlays_->Start(link_, paint_, [this] { RefreshView(); });
  // 27.
  started_ = true;
  Log("OK");
  RefreshView();
}

TMainForm::~TMainForm() {
  if (!closed_) {
    // Destroyed without the close sequence (tests, fatal paths): stop what runs.
    if (downloader_) downloader_->Shutdown();
    if (overlays_) overlays_->Shutdown();
    StorageArray().Clear();
    PluginsArray().Clear();
    SetChoiceListener({});
    ShutdownLogging();
    link_.SetStorage(nullptr);
  }
  SetPluginHostContext(nullptr);
  if (g_form == this) g_form = nullptr;
}

void TMainForm::BuildWindow() {
  setWindowTitle("Terrakon");
  resize(912, 630);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* panTopTools = new QWidget(central);
  panTopTools->setObjectName("panTopTools");
  auto* tools = new QHBoxLayout(panTopTools);
  tools->setContentsMargins(2, 2, 2, 2);
  tools->setSpacing(2);
  auto* btnLoad = ToolButton(panTopTools, "btnLoad", "Load", "Import...");
  btnLoad->setPopupMode(QToolButton::InstantPopup);
  auto* btnSave = ToolButton(panTopTools, "btnSave", "Save", "Export...");
  btnSave->setPopupMode(QToolButton::InstantPopup);
  tools->addWidget(btnLoad);
  tools->addWidget(btnSave);
  tools->addSpacing(8);
  cbZoom_ = new QComboBox(panTopTools);
  cbZoom_->setObjectName("cbZoom");
  cbZoom_->setToolTip(Tr("Zoom level"));
  for (int i = 1; i <= 30; ++i) cbZoom_->addItem(QString::number(i));
  tools->addWidget(cbZoom_);
  auto* btnZoomIn = ToolButton(panTopTools, "btnZoomIn", "+", "Z \nZoom in");
  auto* btnZoomOut = ToolButton(panTopTools, "btnZoomOut", "-", "Shift+Z\nZoom out");
  tools->addWidget(btnZoomIn);
  tools->addWidget(btnZoomOut);
  cbZoomAdd_ = new QComboBox(panTopTools);
  cbZoomAdd_->setObjectName("cbZoomAdd");
  cbZoomAdd_->setToolTip(Tr("Zoom offset\nAllows to display plates from different zoom levels\nwithout changing view area bounds."));
  for (int i = 0; i <= 4; ++i) cbZoomAdd_->addItem(QString::asprintf("%c%d", i == 0 ? ' ' : '+', i));
  tools->addWidget(cbZoomAdd_);
  btnUseInet_ = ToolButton(panTopTools, "btnUseInet", "Inet", "Allow internet access");
  btnUseInet_->setCheckable(true);
  tools->addWidget(btnUseInet_);
  auto* btnSearch = ToolButton(panTopTools, "btnSearch", "Go to", "Go to coordinates");
  tools->addWidget(btnSearch);
  tools->addSpacing(8);
  btnMove_ = ToolButton(panTopTools, "btnMove", "Move", "Move");
  btnSelect_ = ToolButton(panTopTools, "btnSelect", "Select", "Ctrl+S\nSelect");
  btnCorrect_ = ToolButton(panTopTools, "btnCorrect", "Correct", "Offset correction tool");
  for (QToolButton* b : {btnMove_, btnSelect_, btnCorrect_}) {
    b->setCheckable(true);
    tools->addWidget(b);
  }
  btnMove_->setChecked(true);
  tools->addSpacing(8);
  btnDatum_ = ToolButton(panTopTools, "btnDatum", "Datum", "Datum");
  btnCoordSys_ = ToolButton(panTopTools, "btnCoordSys", "System", "Coordinate system");
  btnCoordSys_->setPopupMode(QToolButton::InstantPopup);
  tools->addWidget(btnDatum_);
  tools->addWidget(btnCoordSys_);
  tools->addStretch(1);
  panDummy_ = new QWidget(panTopTools);
  panDummy_->setObjectName("panDummy");
  panDummy_->setFixedSize(0, 0);
  panDummy_->setFocusPolicy(Qt::StrongFocus);
  tools->addWidget(panDummy_);
  layout->addWidget(panTopTools);

  // The map between four empty dock frames and two inert scroll bars.
  auto* middle = new QWidget(central);
  auto* grid = new QGridLayout(middle);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  auto dock = [&](const char* name, int w, int h) {
    auto* d = new QWidget(middle);
    d->setObjectName(name);
    if (w) d->setFixedWidth(w);
    if (h) d->setFixedHeight(h);
    return d;
  };
  grid->addWidget(dock("dockTop", 0, 9), 0, 0, 1, 4);
  grid->addWidget(dock("dockLeft", 9, 0), 1, 0, 2, 1);
  paint_ = new MapView(*this, middle);
  grid->addWidget(paint_, 1, 1);
  auto* sbVert = new QScrollBar(Qt::Vertical, middle);
  sbVert->setObjectName("sbVert");
  sbVert->setRange(0, 0);
  auto* sbHorz = new QScrollBar(Qt::Horizontal, middle);
  sbHorz->setObjectName("sbHorz");
  sbHorz->setRange(0, 0);
  grid->addWidget(sbVert, 1, 2);
  grid->addWidget(sbHorz, 2, 1);
  grid->addWidget(dock("dockRight", 9, 0), 1, 3, 2, 1);
  grid->addWidget(dock("dockBottom", 0, 9), 3, 0, 1, 4);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);
  layout->addWidget(middle, 1);

  for (int b = 0; b < 2; ++b) {
    status_[b] = new QStatusBar(central);
    status_[b]->setObjectName(b == 0 ? "status" : "status1");
    status_[b]->setSizeGripEnabled(false);
    layout->addWidget(status_[b]);
  }
  cbLog_ = new HLogComboBox(central);
  cbLog_->setObjectName("cbLog");
  layout->addWidget(cbLog_);
  setCentralWidget(central);

  tmRefresh_ = new QTimer(this);
  tmRefresh_->setObjectName("tmRefresh");
  tmRefresh_->setInterval(1000);
  connect(tmRefresh_, &QTimer::timeout, this, [this] { UpdateStatusCounters(); });
  tmRefresh_->start();
  tmSelTimer_ = new QTimer(this);
  tmSelTimer_->setObjectName("tmSelTimer");
  tmSelTimer_->setInterval(300);
  connect(tmSelTimer_, &QTimer::timeout, this, [this] { DrawSelectionFrame(true); });

  auto refocus = [this] { panDummy_->setFocus(); };
  connect(cbZoom_, &QComboBox::activated, this, [this, refocus](int index) {
    Guarded([&] { SetZoom(index + 1); });
    cbZoom_->setCurrentIndex(data_.view.Zoom - 1);
    refocus();
  });
  connect(cbZoomAdd_, &QComboBox::activated, this, [this, refocus](int index) {
    Guarded([&] { SetZoomOffset(index); });
    cbZoomAdd_->setCurrentIndex(zoomOffset_ <= 4 ? zoomOffset_ : -1);
    refocus();
  });
  connect(btnZoomIn, &QToolButton::clicked, this, [this] { Guarded([&] { SetZoom(data_.view.Zoom + 1); }); });
  connect(btnZoomOut, &QToolButton::clicked, this, [this] { Guarded([&] { SetZoom(data_.view.Zoom - 1); }); });
  connect(btnUseInet_, &QToolButton::clicked, this, [this] { Guarded([&] { ToggleUseInet(); }); });
  connect(btnMove_, &QToolButton::clicked, this, [this] { Guarded([&] { SetTool(kToolMove); }); btnMove_->setChecked(tool_ == kToolMove); });
  connect(btnSelect_, &QToolButton::clicked, this, [this] {
    Guarded([&] { SetTool(tool_ != kToolSelect ? kToolSelect : kToolMove); });
    btnSelect_->setChecked(tool_ == kToolSelect);
  });
  connect(btnCorrect_, &QToolButton::clicked, this, [this] {
    Guarded([&] { SetTool(kToolCorrect); });
    btnMove_->setChecked(false);
    btnSelect_->setChecked(false);
    btnCorrect_->setChecked(true);
  });
  qApp->installEventFilter(this);
}

void TMainForm::BuildStatusBars() {
  const double sx = logicalDpiX() / 96.0;
  const double sy = logicalDpiY() / 96.0;
  for (int b = 0; b < 2; ++b) {
    status_[b]->setFixedHeight(static_cast<int>(20 * sy));
    for (int i = 0; i < 9; ++i) {
      auto* label = new QLabel(QString::fromUtf8(kPanelLabels[b][i]), status_[b]);
      label->setObjectName(QString("%1_panel%2").arg(status_[b]->objectName()).arg(i));
      label->setFixedWidth(static_cast<int>(kPanelWidths[i] * sx));
      label->setFrameShape(QFrame::Panel);
      label->setFrameShadow(QFrame::Sunken);
      status_[b]->addWidget(label);
      panels_[b][i] = label;
      const bool opensCoords = (b == 0 && i == 1) || i == 3;
      if (opensCoords) label->installEventFilter(this);
    }
  }
}

QString TMainForm::PanelText(int bar, int panel) const {
  if (bar < 0 || bar > 1 || panel < 0 || panel > 8) return {};
  return panels_[bar][panel]->text();
}

void TMainForm::LoadViewState() {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const WindowPlacement placed = settings::Window.Load(link_, {x(), y(), width(), height(), kWindowNormal},
                                                       screen.width(), screen.height());
  if (placed.state == kWindowMaximized)
    setWindowState(Qt::WindowMaximized);
  else if (placed.state == kWindowMinimized)
    setWindowState(Qt::WindowMinimized);
  else
    setGeometry(placed.left, placed.top, placed.width, placed.height);
  LoadPluginList(link_);
  LoadStorageList(link_);
  SetZoomOffset(0);
  SetZoom(settings::StartZoom.Get(link_));
  LoadChoice(link_);
  SetSelection({settings::SelX.Get(link_), settings::SelY.Get(link_), settings::SelX1.Get(link_),
                 settings::SelY1.Get(link_)});
  btnUseInet_->setChecked(settings::UseInet.Get(link_));
}

void TMainForm::LoadSettings() {
  SetLanguage(settings::UsedLang.Get(link_));
  settings::DoubleBuffered.Get(link_);  // Qt widgets always paint off screen
  ApplyPlateSettings(link_);
  SetMaxStorageErrors(settings::MaxStorageErrors.Get(link_));
  InetSettings inet;
  inet.baseUrls = settings::GEBase.Get(link_);
  if (downloader_) downloader_->SetBaseUrls(inet.baseUrls);
  if (settings::UseInet.Get(link_)) {
    inet.useProxy = settings::UseProxy.Get(link_);
    inet.proxy = settings::Proxy.Get(link_);
    inet.useProxyUser = settings::UseProxyUser.Get(link_);
    inet.proxyUser = settings::ProxyUser.Get(link_);
    inet.proxyPassword = settings::ProxyPwd.Get(link_);
    inet.logFile = settings::INETLogFile.Get(link_);
    inet.threads = settings::ThreadsCount.Get(link_);
    if (downloader_ && !downloader_->ApplyInetOptions(inet))
      Log(Translate("Error set inet options:\n%s"), ErrorText().c_str());
  }
  PaintSettings& p = paintSettings_;
  p.drawBorder = settings::DrawBorder.Get(link_);
  p.borderColor = settings::BorderColor.Get(link_);
  p.hilightFound = settings::HilightFound.Get(link_);
  p.foundColor = settings::FoundColor.Get(link_);
  p.drawCoord = settings::DrawCoord.Get(link_);
  p.coordColor = settings::CoordColor.Get(link_);
  p.drawCenter = settings::DrawCenter.Get(link_);
  p.centerColor = settings::CenterColor.Get(link_);
  p.queuedColor = settings::QueuedColor.Get(link_);
  p.notFoundColor = settings::NotFoundColor.Get(link_);
  p.notExitColor = settings::NotExitColor.Get(link_);
  p.useBigImage = settings::UseBigImage.Get(link_);
  settings::GlobalCorrectX.Get(link_);
  settings::GlobalCorrectY.Get(link_);
  // Track and waypoint drawing settings; their lists read them again as they draw.
  for (const auto* c : {&settings::TRPSelBColor, &settings::TRPSelColor, &settings::TRPBColor, &settings::TRPColor,
                        &settings::TRSelLine, &settings::TRSelFill})
    c->Get(link_);
  settings::TRDrawAll.Get(link_);
  for (const auto* c : {&settings::TR_CorX, &settings::TR_CorY, &settings::TR_Def_CorX, &settings::TR_Def_CorY,
                        &settings::WP_CorX, &settings::WP_CorY, &settings::WP_Def_CorX, &settings::WP_Def_CorY})
    c->Get(link_);
  settings::WP_Font.Get(link_);
  settings::WPSelColor.Get(link_);
  settings::WPSelBk.Get(link_);
  settings::WP_Def_Alt.Get(link_);
  settings::WP_Def_Color.Get(link_);
  settings::WP_Def_Back.Get(link_);
  settings::WP_Def_FSize.Get(link_);
  settings::WP_Def_FType.Get(link_);
  settings::WP_Def_Size.Get(link_);
}

void TMainForm::RefreshView() {
  if (!started_ || refreshing_) return;
  refreshing_ = true;
  try {
    UpdateTitle();
    platesDirty_ = QRegion(paint_->rect());
    partialDirty_ = false;
    paint_->update();
  } catch (...) {
    refreshing_ = false;
    throw;
  }
  refreshing_ = false;
}

void TMainForm::UpdateTitle() {
  if (!started_) return;
  setWindowTitle(QString::fromStdString(MainTitle(data_.view.Zoom, zoomOffset_)));
  const CoordChoice& c = CurrentChoice();
  panels_[0][1]->setText(QString::fromStdString(
      FormatCoord({data_.view.CenterX, data_.view.CenterY}, c.datum, 0, c.degType, " / ")));
  UpdateStatusCounters();
}

void TMainForm::UpdateStatusCounters() {
  panels_[0][5]->setText(QString::asprintf("%s / %s, %" PRId64 " of %" PRId64, SizeText(CacheBytes()).c_str(),
                                           SizeText(CacheByteLimit()).c_str(), CacheCount(), CacheCountLimit()));
  const DownloadCounters d = downloader_ ? downloader_->Counters() : DownloadCounters{};
  panels_[1][5]->setText(
      QString::asprintf("%s / %" PRIu64 "/%" PRIu64, SizeText(d.bytes).c_str(), d.files, d.queued));
}

void TMainForm::SetViewCenter(int64_t x, int64_t y) {
  x = ClampToWorld(x);
  y = ClampToWorld(y);
  if (x == data_.view.CenterX && y == data_.view.CenterY) return;
  data_.view.CenterX = x;
  data_.view.CenterY = y;
  RefreshView();
}

void TMainForm::SetZoom(int level) {
  level = ClampZoom(level);
  if (level == data_.view.Zoom) return;
  if (!CheckCacheForZoom(level, zoomOffset_ < 0 ? 0 : zoomOffset_)) return;
  data_.view.Zoom = level;
  cbZoom_->setCurrentIndex(level - 1);
  if (zoomOffset_ != -1) ApplyZoomScale();
}

void TMainForm::SetZoomOffset(int offset) {
  offset = ClampZoomOffset(offset);
  if (offset == zoomOffset_) return;
  if (!CheckCacheForZoom(data_.view.Zoom, offset)) return;
  zoomOffset_ = offset;
  cbZoomAdd_->setCurrentIndex(offset <= 4 ? offset : -1);
  if (data_.view.Zoom != -1) ApplyZoomScale();
}

bool TMainForm::CheckCacheForZoom(int, int offset) {
  const int64_t needed = NeededCachePlates(offset, paint_->width(), paint_->height());
  const int32_t maxCount = settings::MaxCount.Get(link_);
  const bool ask = settings::AskCache.Get(link_);
  if (maxCount >= needed || !ask) return true;
  const int answer = AskYesNoCancel(
      nullptr,
      Translate("Currently selected number of cache items - %d.\nIt is too small for selected zoom level!\n\nIts "
                "recomended to set at least %d items (need %s in memory).\n\nCorrect cache size automatically?"),
      maxCount, static_cast<int>(needed), SizeText(static_cast<uint64_t>(needed) * kPlateImageBytes).c_str());
  if (answer == kAnswerCancel) return false;
  if (answer == kAnswerYes) {
    SetCacheLimit(static_cast<int32_t>(needed));
    settings::MaxCount.Set(link_, static_cast<int32_t>(needed));
  }
  return true;
}

void TMainForm::ApplyZoomScale() {
  const int64_t plate = kWorldSize >> ClampZoom(data_.view.Zoom);
  data_.view.PlateUnitsX = data_.view.PlateUnitsY = plate;
  data_.view.PixelUnitsX = data_.view.PixelUnitsY = plate / 256;
  RefreshView();
}

void TMainForm::SetTool(int tool) {
  if (tool == tool_) return;
  const int previous = tool_;
  tool_ = tool;  // set first: closing the selection list asks for the move tool
  if (previous == kToolSelect) {
    tmSelTimer_->stop();
    paint_->update(lastFrame_);
    lastFrame_ = QRegion();
    if (selectionForm_) {
      TSelectionForm* form = selectionForm_;
      selectionForm_ = nullptr;
      form->close();
    }
  }
  if (tool == kToolMove) {
    btnMove_->setChecked(true);
    btnSelect_->setChecked(false);
    btnCorrect_->setChecked(false);
  } else if (tool == kToolSelect) {
    btnSelect_->setChecked(true);
    btnMove_->setChecked(false);
    btnCorrect_->setChecked(false);
    tmSelTimer_->start();
    if (!selectionForm_) {
      selectionForm_ = new TSelectionForm(this, link_, [this] { return Selection(); },
                                          [this] { OnSelectionFormClosed(); });
      selectionForm_->show();
    }
  }
  hitHandle_ = kHitNothing;
  SetPointerShape();
  dragState_ = 0;
  RefreshView();
}

void TMainForm::OnSelectionFormClosed() {
  selectionForm_ = nullptr;
  if (tool_ == kToolSelect) SetTool(kToolMove);
}

SelectionRect TMainForm::Selection() const {
  return {data_.view.SelX, data_.view.SelY, data_.view.SelX1, data_.view.SelY1};
}

void TMainForm::SetSelection(const SelectionRect& s) {
  data_.view.SelX = s.SelX;
  data_.view.SelY = s.SelY;
  data_.view.SelX1 = s.SelX1;
  data_.view.SelY1 = s.SelY1;
}

void TMainForm::UpdateSelectionList() {
  if (selectionForm_) selectionForm_->UpdateSelectionList();
}

void TMainForm::ToggleUseInet() {
  settings::UseInet.Set(link_, !settings::UseInet.Get(link_));
  LoadSettings();
  btnUseInet_->setChecked(settings::UseInet.Get(link_));
  RefreshView();
}

void TMainForm::PlateArrived(int64_t column, int64_t row, int zoom) {
  // A worker: only hand the plate over to the window's thread.
  QMetaObject::invokeMethod(
      this,
      [this, column, row, zoom] {
        if (!started_ || closed_) return;
        const int level = EffectiveLevel(ClampZoom(data_.view.Zoom), zoomOffset_);
        if (zoom != level) return;
        const int size = 256 >> (level - ClampZoom(data_.view.Zoom));
        const int64_t units = PlateUnits(level);
        const int left = G2ScreenX(column * units);
        const int bottom = G2ScreenY(row * units);
        const QRect rc(left, bottom - size, size, size);
        if (!rc.intersects(paint_->rect())) return;
        if (platesDirty_.isEmpty()) partialDirty_ = true;
        platesDirty_ += rc;
        paint_->update(rc);
      },
      Qt::QueuedConnection);
}

void TMainForm::SaveConfiguration(bool ask) {
  if (ask && !AskYesNo("%s", Translate("Save configuration?"))) return;
  dragState_ = 0;
  SetTool(kToolMove);
  const int state = isMinimized() ? kWindowMinimized : isMaximized() ? kWindowMaximized : kWindowNormal;
  const QRect g = state == kWindowNormal ? geometry() : normalGeometry();
  settings::Window.Save(link_, {g.x(), g.y(), g.width(), g.height(), state});
  SavePluginList(link_);
  SaveStorageList(link_);
  settings::StartZoom.Set(link_, data_.view.Zoom);
  SaveChoice(link_);
  settings::SelX.Set(link_, data_.view.SelX);
  settings::SelY.Set(link_, data_.view.SelY);
  settings::SelX1.Set(link_, data_.view.SelX1);
  settings::SelY1.Set(link_, data_.view.SelY1);
  settings::CenterXP.Set(link_, data_.view.CenterX);
  settings::CenterYP.Set(link_, data_.view.CenterY);
  if (!cfg_.SaveFile() && ask)
    ErrorBox(Translate("Error storing config.\nFile: %s\nError: %s"), cfg_.FullPath().c_str(), ErrorText().c_str());
}

bool TMainForm::FormCloseQuery() {
  if (settings::AskQuit.Get(link_) && !AskYesNo("%s", Translate("Terminate programm?"))) return false;
  return !overlays_ || overlays_->CloseQuery();
}

void TMainForm::FormClose() {
  if (closed_) return;
  Log("%s", Translate("Shutdown INET lib..."));
  if (downloader_) downloader_->Shutdown();
  Log("%s", Translate("Shutdown memory cache..."));
  CacheClear();
  Log("%s", Translate("Save cfg..."));
  if (settings::Autosave.Get(link_)) SaveConfiguration(false);
  Log("%s", Translate("Shutdown plugins..."));
  StorageArray().Clear();
  PluginsArray().Clear();
  Log("%s", Translate("Shutdown programm..."));
  if (overlays_) overlays_->Shutdown();
  tmRefresh_->stop();
  tmSelTimer_->stop();
  SetChoiceListener({});
  closed_ = true;
  ShutdownLogging();
  link_.SetStorage(nullptr);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  bool allowed = closed_;
  if (!allowed) Guarded([&] { allowed = FormCloseQuery(); });
  if (!allowed) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

}  // namespace tk

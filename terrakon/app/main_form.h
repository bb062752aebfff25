// The main window: tool bar, map view, two status bars and the log box; the
// start-up and shutdown of the program around it, the view state and the
// commands that change it. One instance per process.
#pragma once

#include <QMainWindow>
#include <QImage>
#include <QRegion>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "terrakon/app/paint_grid.h"
#include "terrakon/app/selection_brush.h"
#include "terrakon/app/selection_edit.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;

namespace tk {

class DownloadControl;
class HLogComboBox;
class MapOverlays;
class MapView;
class TData;
class TSelectionForm;

enum Tool : int { kToolMove = 0, kToolSelect = 1, kToolCorrect = 2 };

// Painting colours and switches, read by LoadSettings.
struct PaintSettings {
  bool drawBorder = true, hilightFound = true, drawCoord = true, drawCenter = true;
  uint32_t borderColor = 8421504, foundColor = 255, coordColor = 0xFFFFFF, centerColor = 255;
  uint32_t queuedColor = 0xFF0000, notFoundColor = 0xFF0000, notExitColor = 0;
  bool useBigImage = false;
};

class TMainForm final : public QMainWindow {
 public:
  // data: created and set up by the caller (its view record is the one the
  // coordinate math library holds). downloader and overlays may be null;
  // overlays are started during creation and must outlive the window.
  explicit TMainForm(TData& data, DownloadControl* downloader = nullptr, MapOverlays* overlays = nullptr);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  static TMainForm* Instance();

  // View.
  void RefreshView();
  void UpdateTitle();
  void SetViewCenter(int64_t x, int64_t y);
  void SetZoom(int level);
  void SetZoomOffset(int offset);
  bool CheckCacheForZoom(int level, int offset);
  void ApplyZoomScale();
  void SetTool(int tool);
  void ReloadImages();
  void ToggleUseInet();

  // Settings and shutdown.
  void LoadSettings();
  void SaveConfiguration(bool ask);
  bool FormCloseQuery();
  void FormClose();

  // Any thread: repaints the plate's rectangle when it is of the level shown.
  void PlateArrived(int64_t column, int64_t row, int zoom);
  void SetOverlays(MapOverlays* overlays) { overlays_ = overlays; }

  // Map view events (screen pixels of the map view).
  void paintMouseDown(Qt::MouseButton button, int x, int y);
  void paintMouseMove(int x, int y);
  void paintMouseUp();
  void WheelTurned(int delta, bool shift);
  // The keys of the main window; true when consumed.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

  // Painting (main_form_paint.cpp).
  void PaintMap(QPainter& painter, const QRegion& region);
  void DrawSelectionFrame(bool advance);

  // State for tests and the windows that follow the view.
  TData& data() { return data_; }
  QuadcalcContext& view();
  const HStorageLink& settings() const { return link_; }
  HCfgStorage& cfg() { return cfg_; }
  int zoomOffset() const { return zoomOffset_; }
  int tool() const { return tool_; }
  int dragState() const { return dragState_; }
  int hitHandle() const { return hitHandle_; }
  bool started() const { return started_; }
  MapView* paintBox() const { return paint_; }
  TSelectionForm* selectionForm() const { return selectionForm_; }
  QString PanelText(int bar, int panel) const;
  double lastPaintSeconds() const { return lastPaintSeconds_; }
  bool platesPending() const { return !platesDirty_.isEmpty(); }
  // Milliseconds after which a paint hands the rest to a queued continuation.
  void SetPaintBudget(int milliseconds) { paintBudgetMs_ = milliseconds; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void BuildMenus();
  void BuildStatusBars();
  void LoadViewState();
  void LoadSelectionPattern();
  void UpdateStatusCounters();
  void UpdatePointerReadouts();
  void UpdateMenuChecks(QMenu* menu);
  void PopupMain(const QPoint& globalPos);
  void SetPointerShape();
  QRegion SelectionFrameRegion() const;
  SelectionRect Selection() const;
  void SetSelection(const SelectionRect& s);
  void UpdateSelectionList();
  void OnSelectionFormClosed();
  void CopyToClipboard(const std::string& text);
  std::string PointerPlatePath() const;
  // Painting helpers (main_form_paint.cpp).
  bool RenderPlates(const QRegion& region);
  // p paints on plates_ with clip as its clip region.
  bool DrawPlate(QPainter& p, const QRegion& clip, int64_t column, int64_t row, int level, const QRect& rc);
  bool DrawFromAncestor(QPainter& p, const std::string& key, int level, const QRect& rc);
  void DrawCoordRulers(QPainter& p);
  void DrawCenterMark(QPainter& p);
  void DrawSelectionStrips(QPainter& p);
  void ResizeBuffer();

  TData& data_;
  DownloadControl* downloader_;
  MapOverlays* overlays_ = nullptr;
  HCfgStorage cfg_;
  HStorageLink link_;
  PaintSettings paintSettings_;

  // Window parts.
  MapView* paint_ = nullptr;
  QWidget* panDummy_ = nullptr;
  QComboBox* cbZoom_ = nullptr;
  QComboBox* cbZoomAdd_ = nullptr;
  QToolButton* btnUseInet_ = nullptr;
  QToolButton* btnMove_ = nullptr;
  QToolButton* btnSelect_ = nullptr;
  QToolButton* btnCorrect_ = nullptr;
  QToolButton* btnDatum_ = nullptr;
  QToolButton* btnCoordSys_ = nullptr;
  QStatusBar* status_[2] = {nullptr, nullptr};
  QLabel* panels_[2][9] = {};
  HLogComboBox* cbLog_ = nullptr;
  QMenu* popupMain_ = nullptr;
  QMenu* popupCoords_ = nullptr;
  QAction* mnuNameWP_ = nullptr;
  QAction* mnuEditWP_ = nullptr;
  QAction* mnuAddWP_ = nullptr;
  QAction* mnuDelWP_ = nullptr;
  QAction* mnuReloadPopup_ = nullptr;
  QTimer* tmRefresh_ = nullptr;
  QTimer* tmSelTimer_ = nullptr;
  TSelectionForm* selectionForm_ = nullptr;

  // State.
  bool started_ = false;
  bool refreshing_ = false;
  bool closed_ = false;
  int tool_ = 255;
  int dragState_ = 0;
  int hitHandle_ = kHitNothing;
  int hoverWaypoint_ = -1;
  int zoomOffset_ = -1;
  QPoint dragOrigin_{0, 0};
  QPoint pointerPixel_{0, 0};
  int64_t pointerX_ = 0, pointerY_ = 0;          // pixel point under the pointer
  int64_t pointerColumn_ = 0, pointerRow_ = 0;   // its plate at the zoom level
  std::atomic<bool> partialRepaint_{false};

  // Paint state: the plates of the last paint, the part still to paint.
  QImage plates_;
  QRegion platesDirty_;
  bool partialDirty_ = false;
  int paintBudgetMs_ = 1000;
  bool continuationQueued_ = false;
  double lastPaintSeconds_ = 0;
  double paintSeconds_ = 0;  // of the paint in progress, over its continuations
  SelectionBrushStrip strip_;
  int brushCounter_ = 0;
  QRegion lastFrame_;
};

}  // namespace tk

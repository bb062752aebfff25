// Painting the map: the plates of the view into an off-screen image, then
// rulers, overlays, the centre mark and the selection frame on top of it.
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cinttypes>

#include "common/log.h"
#include "common/paths.h"
#include "common/pr_period.h"
#include "platform/i18n/translate.h"
#include "terrakon/app/download_control.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/map_overlays.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/navigation.h"
#include "terrakon/app/plate_blit.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/plates/data_module.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_source.h"
#include "terrakon/plates/plate_switches.h"

namespace tk {
namespace {

// Stored colours are 0x00BBGGRR.
QColor StoredColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// The plate's bits as an image without a copy; rows run bottom-up.
QImage PlateImage(const PlateRef& ref) {
  return QImage(ref.bits(), 256, 256, kPlateLineBytes, QImage::Format_BGR888);
}

// Screen position of a pixel-space coordinate, kept near the view so that
// far-away points do not wrap around 32 bits.
int ScreenCoord(int64_t v, int64_t center, int64_t units, int extent, bool flip) {
  if (units <= 0) units = 1;
  int64_t d = (v - center) / units;
  if (flip) d = -d;
  return static_cast<int>(std::clamp<int64_t>(d + extent / 2, -16, int64_t{extent} + 16));
}

void DrawShadowText(QPainter& p, int x, int y, const QColor& color, const QString& text) {
  const QRect box(x, y, 4000, 4000);
  p.setPen(Qt::black);
  p.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
  p.setPen(color);
  p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

}  // namespace

void TMainForm::ResizeBuffer() {
  plates_ = QImage(paint_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  plates_.fill(paint_->palette().color(QPalette::Window));
  platesDirty_ = QRegion(paint_->rect());
  partialDirty_ = false;
}

void TMainForm::PaintMap(QPainter& painter, const QRegion& region) {
  if (plates_.size() != paint_->size().expandedTo(QSize(1, 1))) ResizeBuffer();
  if (!started_ || closed_) {
    painter.fillRect(paint_->rect(), paint_->palette().color(QPalette::Window));
    return;
  }
  if (!platesDirty_.isEmpty()) RenderPlates(platesDirty_);
  for (const QRect& r : region) painter.drawImage(r.topLeft(), plates_, r);
  painter.setClipRegion(region);
  if (paintSettings_.drawCoord) DrawCoordRulers(painter);
  if (overlays_) overlays_->Draw(painter);
  if (paintSettings_.drawCenter) DrawCenterMark(painter);
  DrawSelectionStrips(painter);
}

bool TMainForm::RenderPlates(const QRegion& region) {
  QElapsedTimer clock;
  clock.start();
  const QString caption = windowTitle();
  const int width = paint_->width(), height = paint_->height();
  const bool partial = partialDirty_;
  const bool resumed = continuationQueued_;
  continuationQueued_ = false;
  PlateSwitches& sw = Switches();
  const bool useInet = sw.useInet;
  if (partial)
    sw.useInet = false;  // a plate's own repaint queues nothing
  else if (!resumed && downloader_)
    downloader_->PurgeRequests();
  std::shared_ptr<PRPeriod> period = SharedPRPeriod();

  const PaintGrid g = MakePaintGrid(data_.view, zoomOffset_, width, height, settings::GlobalCorrectX.Get(link_),
                                    settings::GlobalCorrectY.Get(link_));
  const PaintSettings& ps = paintSettings_;
  QPainter p(&plates_);
  p.setClipRegion(region);
  const QColor background = paint_->palette().color(QPalette::Window);
  const QRect bounds = region.boundingRect();
  int coveredLeft = width, coveredTop = height, coveredRight = 0, coveredBottom = 0;
  QRegion remaining;
  bool drewColumn = false;  // every round draws at least one column
  int x = g.x0;
  for (int64_t c = g.cx - g.nx; c < g.cx + g.nx; ++c, x += g.plateSize) {
    if (period && period->Check())
      setWindowTitle(QString::asprintf("%s %3.3lf%%...", Translate("Drawing images..."),
                                       50.0 * static_cast<double>(c - (g.cx - g.nx)) / g.nx));
    if (c < 0) continue;
    if (c >= g.plates || x >= width) break;
    if (x + g.plateSize < 0) continue;
    if (x + g.plateSize <= bounds.left() || x > bounds.right()) continue;  // clipped away
    // Past the budget the rest of the view waits for a queued continuation.
    if (drewColumn && clock.elapsed() > paintBudgetMs_) {
      remaining = region.intersected(QRect(x, 0, width - x, height));
      break;
    }
    drewColumn = true;
    int y = g.y0;
    for (int64_t r = g.cy - g.ny; r < g.cy + g.ny; ++r, y -= g.plateSize) {
      if (r < 0 || r >= g.plates) continue;
      QRect rc(x, y - g.plateSize, g.plateSize, g.plateSize);
      if (rc.top() >= height || y < 0) continue;
      coveredLeft = std::min(coveredLeft, rc.left());
      coveredTop = std::min(coveredTop, rc.top());
      coveredRight = std::max(coveredRight, x + g.plateSize);
      coveredBottom = std::max(coveredBottom, y);
      if (!region.intersects(rc)) continue;
      const bool found = DrawPlate(p, region, c, r, g.level, rc);
      if (partial) sw.useInet = false;
      if (!ps.drawBorder) continue;
      p.setTransform(QTransform());
      const QColor border = StoredColor(found && ps.hilightFound ? ps.foundColor : ps.borderColor);
      int left = rc.left(), top = rc.top();
      const int right = x + g.plateSize, bottom = y;
      if (c == 0) p.fillRect(left++, top, 1, bottom - top, border);
      if (r == g.plates - 1) p.fillRect(left, top++, right - left, 1, border);
      p.fillRect(right - 1, top, 1, bottom - top, border);
      p.fillRect(left, bottom - 1, right - 1 - left, 1, border);
    }
  }
  p.setTransform(QTransform());
  // Outside the world: the background.
  if (coveredRight < coveredLeft) {
    p.fillRect(0, 0, width, height, background);
  } else {
    if (coveredRight < width) p.fillRect(coveredRight, 0, width - coveredRight, height, background);
    if (coveredLeft > 0) p.fillRect(0, 0, coveredLeft, height, background);
    if (coveredTop > 0) p.fillRect(0, 0, width, coveredTop, background);
    if (coveredBottom < height) p.fillRect(0, coveredBottom, width, height - coveredBottom, background);
  }
  p.end();
  sw.useInet = useInet;
  setWindowTitle(caption);
  paintSeconds_ += static_cast<double>(clock.nsecsElapsed()) / 1e9;
  platesDirty_ = remaining;
  if (!remaining.isEmpty()) {
    continuationQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      if (!platesDirty_.isEmpty()) paint_->update(platesDirty_.boundingRect());
    });
    return false;
  }
  lastPaintSeconds_ = paintSeconds_;
  paintSeconds_ = 0;
  panels_[1][7]->setText(QString::asprintf("%3.3lf", lastPaintSeconds_));
  partialDirty_ = false;
  return true;
}

bool TMainForm::DrawPlate(QPainter& p, const QRegion& clip, int64_t column, int64_t row, int level,
                          const QRect& rc) {
  const PlateRef ref = GetPlate(column, row, level);
  const std::string name = PlateKeyText(column, row, level);
  if (IsPlateImage(ref) && rc.width() == 256) {
    // Unscaled plates are copied straight into the picture the painter works on.
    const BlitTarget target{plates_.bits(), plates_.bytesPerLine(), plates_.width(), plates_.height()};
    for (const QRect& r : clip) BlitPlate(ref.bits(), rc.left(), rc.top(), {r.x(), r.y(), r.width(), r.height()}, target);
    return true;
  }
  if (IsPlateImage(ref)) {
    const double scale = rc.width() / 256.0;
    // Bottom-up rows: drawn with a vertical flip instead of a copy.
    p.setTransform(QTransform(scale, 0, 0, -scale, rc.left(), rc.top() + rc.height()));
    p.drawImage(0, 0, PlateImage(ref));
    return true;
  }
  p.setTransform(QTransform());
  if (!(paintSettings_.useBigImage && DrawFromAncestor(p, name, level, rc)))
    p.fillRect(rc, paint_->palette().color(QPalette::Window));
  p.setTransform(QTransform());
  const uint32_t color = ref == PlateQueued ? paintSettings_.queuedColor
                         : ref              ? paintSettings_.notFoundColor
                                            : paintSettings_.notExitColor;
  const QString text = QString::fromStdString(PlaceholderText(ref, column, row, name));
  p.setPen(StoredColor(color));
  p.drawText(rc, Qt::AlignCenter, text);
  return false;
}

bool TMainForm::DrawFromAncestor(QPainter& p, const std::string& key, int level, const QRect& rc) {
  if (level <= 1) return false;
  for (int k = 1; k <= 6 && k < level; ++k) {
    const PlateRef ancestor = FindPlate(std::string_view(key).substr(0, level - k));
    if (!IsPlateImage(ancestor)) continue;
    const AncestorPart part = AncestorPartOf(key, k);
    const double scale = static_cast<double>(rc.width()) / part.size;
    p.setTransform(QTransform(scale, 0, 0, -scale, rc.left(), rc.top() + rc.height()));
    p.drawImage(QRectF(0, 0, part.size, part.size), PlateImage(ancestor),
                QRectF(part.left, part.bottom, part.size, part.size));
    p.setTransform(QTransform());
    return true;
  }
  return false;
}

void TMainForm::DrawCoordRulers(QPainter& p) {
  const int w = paint_->width(), h = paint_->height();
  const int64_t inset = 20 * data_.view.PixelUnitsX;
  const int64_t lx = ClampToWorld(ScreenX2G(0) + inset), rx = ClampToWorld(ScreenX2G(w) - inset);
  const int64_t ty = ClampToWorld(ScreenY2G(0) - inset), by = ClampToWorld(ScreenY2G(h) + inset);
  const int left = G2ScreenX(lx), right = G2ScreenX(rx), top = G2ScreenY(ty), bottom = G2ScreenY(by);
  const QColor color = StoredColor(paintSettings_.coordColor);
  const int lift = p.fontMetrics().height() + 2;
  p.setPen(color);
  p.drawLine(left, top, left, bottom);
  int n = std::min(4, (bottom - top) / 100);
  for (int i = 0; i < n; ++i) {
    const int y = top + (bottom - top) * i / n;
    p.setPen(color);
    p.drawLine(left - 10, y, left + 10, y);
    const std::string text = FormatCoordCurrent({(lx + rx) / 2, ty - i * (ty - by) / n}, "\n");
    DrawShadowText(p, left + 10, y - lift, color, QString::fromStdString(text));
  }
  p.setPen(color);
  p.drawLine(left, bottom, right, bottom);
  n = std::min(4, (right - left) / 100);
  for (int i = 0; i < n; ++i) {
    if (i == n / 2) continue;
    const int x = left + (right - left) * i / n;
    p.setPen(color);
    p.drawLine(x, bottom - 10, x, bottom + 10);
    const std::string text = FormatCoordCurrent({lx + i * (rx - lx) / n, (ty + by) / 2}, "\n");
    DrawShadowText(p, x + 5, bottom - lift, color, QString::fromStdString(text));
  }
}

void TMainForm::DrawCenterMark(QPainter& p) {
  const int sx = G2ScreenX(data_.view.CenterX), sy = G2ScreenY(data_.view.CenterY);
  p.setPen(QPen(StoredColor(paintSettings_.centerColor), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(sx - 5, sy - 5, 10, 10);
  p.drawLine(sx - 10, sy, sx + 9, sy);
  p.drawLine(sx, sy - 10, sx, sy + 9);
}

QRegion TMainForm::SelectionFrameRegion() const {
  if (tool_ != kToolSelect) return {};
  const int w = paint_->width(), h = paint_->height();
  const QuadcalcContext& v = data_.view;
  int left = ScreenCoord(v.SelX, v.CenterX, v.PixelUnitsX, w, false);
  int right = ScreenCoord(v.SelX1, v.CenterX, v.PixelUnitsX, w, false);
  int top = ScreenCoord(v.SelY, v.CenterY, v.PixelUnitsY, h, true);
  int bottom = ScreenCoord(v.SelY1, v.CenterY, v.PixelUnitsY, h, true);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  QRegion r;
  r += QRect(left - 1, top, 2, bottom - top);
  r += QRect(left - 1, top - 1, right + 1 - (left - 1), 2);
  r += QRect(right - 1, top, 2, bottom - top);
  r += QRect(left - 1, bottom - 1, right + 1 - (left - 1), 2);
  return r;
}

void TMainForm::DrawSelectionStrips(QPainter& p) {
  if (tool_ != kToolSelect) return;
  const QRegion frame = SelectionFrameRegion();
  if (frame.isEmpty()) return;
  auto brush = [this](int phase) {
    QImage tile(strip_.width(), strip_.width(), QImage::Format_RGB32);
    for (int y = 0; y < strip_.width(); ++y)
      for (int x = 0; x < strip_.width(); ++x) tile.setPixel(x, y, 0xFF000000u | strip_.Pixel(x, y + phase));
    return QBrush(tile);
  };
  // Left and top with the first brush, right and bottom with the reversed one.
  const int w = paint_->width(), h = paint_->height();
  const QuadcalcContext& v = data_.view;
  int left = ScreenCoord(v.SelX, v.CenterX, v.PixelUnitsX, w, false);
  int right = ScreenCoord(v.SelX1, v.CenterX, v.PixelUnitsX, w, false);
  int top = ScreenCoord(v.SelY, v.CenterY, v.PixelUnitsY, h, true);
  int bottom = ScreenCoord(v.SelY1, v.CenterY, v.PixelUnitsY, h, true);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  p.setBrushOrigin(0, 0);
  const QBrush first = brush(strip_.FirstPhase(brushCounter_));
  const QBrush second = brush(strip_.SecondPhase(brushCounter_));
  p.fillRect(QRect(left - 1, top, 2, bottom - top), first);
  p.fillRect(QRect(left - 1, top - 1, right + 1 - (left - 1), 2), first);
  p.fillRect(QRect(right - 1, top, 2, bottom - top), second);
  p.fillRect(QRect(left - 1, bottom - 1, right + 1 - (left - 1), 2), second);
}

void TMainForm::DrawSelectionFrame(bool advance) {
  if (tool_ != kToolSelect) return;
  if (advance) ++brushCounter_;
  const QRegion frame = SelectionFrameRegion();
  paint_->update(frame + lastFrame_);
  lastFrame_ = frame;
}

void TMainForm::LoadSelectionPattern() {
  const QImage file(QString::fromStdString(JoinPath(ProgramFolder(), "SelBrush.bmp")));
  if (file.isNull()) return;  // no file, or unreadable: the built-in pattern stays
  std::vector<uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(file.width()) * file.height());
  for (int y = 0; y < file.height(); ++y)
    for (int x = 0; x < file.width(); ++x) pixels.push_back(file.pixel(x, y) & 0xFFFFFFu);
  if (!strip_.Assign(file.width(), file.height(), std::move(pixels)))
    Log("SelBrush.bmp: %dx%d is no pattern strip (at most 16 wide, taller than wide, at most 32 high)",
        file.width(), file.height());
}

}  // namespace tk

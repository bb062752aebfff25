#include "terrakon/app/list_overlays.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QWidget>
#include <algorithm>
#include <iterator>
#include <vector>

#include "common/error.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/track_drawing.h"
#include "terrakon/tracks/waypoint_drawing.h"
#include "terrakon/tracks/waypoint_lists.h"

namespace tk {
namespace {

// Stored colours are 0x00BBGGRR.
QColor StoredColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

Qt::BrushStyle FillBrush(uint8_t style) {
  static constexpr Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,     Qt::HorPattern,   Qt::VerPattern,
                                               Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
  return style < std::size(kStyles) ? kStyles[style] : Qt::SolidPattern;
}

void DrawOneWaypoint(const Waypoint& w, QPainter& p, int sx, int sy) {
  const int s = w.symbolSize;
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawEllipse(QRect(QPoint(sx - 3, sy - 3), QPoint(sx + 3, sy + 3)));
  p.drawLine(sx, sy - 3, sx, sy - 13);

  const int cy = sy - 12 - s / 2;
  QFont font(QString::fromUtf8(w.settings ? w.settings->font.c_str() : "Sans"));
  font.setPointSize(std::clamp(w.fontSize, 1, 200));  // a broken file must not ask for a huge font
  font.setBold((w.fontStyle & kFontBold) != 0);
  font.setItalic((w.fontStyle & kFontItalic) != 0);
  p.setFont(font);
  const QString name = QString::fromUtf8(w.name.c_str());
  const QFontMetrics metrics(font);
  const int tw = metrics.horizontalAdvance(name) + 4, th = metrics.height() + 4;
  const int hw = std::max(s, tw) / 2, hh = std::max(s, th) / 2;
  const QRect box(QPoint(sx - hw, cy - hh), QPoint(sx + hw, cy + hh));
  const LabelColors colors = WaypointLabelColors(w);
  p.setBrush(Qt::NoBrush);
  p.drawRect(box);
  if (colors.box != kNoColor) p.fillRect(box.adjusted(1, 1, 0, 0), StoredColor(colors.box));
  p.setPen(StoredColor(colors.text));
  p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, name);
}

}  // namespace

PixelRect ScreenViewRect(int width, int height) {
  return PixelRect{ScreenX2G(0), ScreenY2G(height), ScreenX2G(width), ScreenY2G(0)};
}

void DrawWaypoints(const WaypointArray& list, QPainter& painter, const PixelRect& view, int width, int height) {
  painter.save();
  for (const Waypoint& w : list.Items()) {
    if (!w.visible) continue;
    if (const auto at = WaypointScreenPosition(w, view, width, height)) DrawOneWaypoint(w, painter, at->x, at->y);
  }
  painter.restore();
}

void InvalidateWaypoint(const WaypointArray& list, int index, QWidget* view) {
  if (!view || index < 0 || static_cast<std::size_t>(index) >= list.Count()) return;
  const auto r = WaypointInvalidRect(list.Items()[index], ScreenViewRect(view->width(), view->height()),
                                     view->width(), view->height());
  if (r) view->update(QRect(QPoint(r->left, r->top), QPoint(r->right, r->bottom)));
}

void DrawTrack(const Track& track, const TrackSettings& settings, QPainter& p, const PixelRect& view) {
  const BaseArray* lines = TrackPolylines(track, settings, view);
  if (!lines || !lines->items) return;
  const TrackColors colors = TrackDrawColors(track, settings);
  const QPen linePen(StoredColor(colors.line), std::max(1, track.lineWidth));
  const auto& points = track.Points();
  for (int32_t i = 0; i < lines->count; ++i) {
    const TrackPolyline& line = lines->items[i];
    if (!line.points || line.count <= 0) continue;
    QPolygon polygon(line.count);
    for (int32_t k = 0; k < line.count; ++k) polygon.setPoint(k, line.points[2 * k], line.points[2 * k + 1]);
    if (track.type == kTrackArea && line.count > 2 && colors.fill != kNoColor) {
      p.setPen(QPen(StoredColor(colors.fill), 1));
      p.setBrush(QBrush(StoredColor(colors.fill), FillBrush(track.fillStyle)));
      p.drawPolygon(polygon);
    }
    if (track.type == kTrackLine || track.type == kTrackArea || track.type == kTrackAlarm) {
      p.setPen(linePen);
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(polygon);
    }
    if (track.state != 1) continue;
    for (int32_t k = 0; k < line.count; ++k) {
      const int32_t at = line.indices ? line.indices[k] : -1;
      // The library's indices are checked: a stale result must not read past the points.
      const TrackColors marker = at >= 0 && static_cast<std::size_t>(at) < points.size()
                                     ? PointMarkerColors(points[at], settings)
                                     : TrackColors{0xFFFFFF, 0};
      const QPoint c = polygon.point(k);
      p.setPen(QPen(StoredColor(marker.line), 1));
      p.setBrush(StoredColor(marker.fill));
      p.drawEllipse(QRect(c - QPoint(3, 3), c + QPoint(3, 3)));
    }
  }
}

void DrawTracks(const TrackArray& tracks, QPainter& painter, const PixelRect& view) {
  painter.save();
  for (std::size_t i = 0; i < tracks.Count(); ++i) DrawTrack(tracks[i], tracks.Settings(), painter, view);
  painter.restore();
}

ListOverlays::ListOverlays() = default;

ListOverlays::~ListOverlays() { StopListening(); }

void ListOverlays::Draw(QPainter& painter) {
  if (!lists_ || !view_) return;
  const int width = view_->width(), height = view_->height();
  const PixelRect view = ScreenViewRect(width, height);
  DrawWaypoints(lists_->Places(), painter, view, width, height);
  if (tracks_) DrawTracks(*tracks_, painter, view);
  DrawWaypoints(lists_->Waypoints(), painter, view, width, height);
}

int ListOverlays::FindWaypointAt(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (!lists_) return -1;
  return lists_->Waypoints().FindWaypointAt(
      PixelRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)});
}

std::string ListOverlays::WaypointName(int index) {
  if (!lists_ || index < 0 || static_cast<std::size_t>(index) >= lists_->Waypoints().Count()) return {};
  return lists_->Waypoints().Items()[index].name;
}

void ListOverlays::SelectOnlyWaypoint(int index) {
  if (!lists_) return;
  WaypointArray& list = lists_->Waypoints();
  if (index < 0 || static_cast<std::size_t>(index) >= list.Count()) return;
  // Only the waypoints whose state changes need repainting.
  std::vector<int> before;
  for (std::size_t i = 0; i < list.Count(); ++i) before.push_back(list.Items()[i].state);
  list.SelectOnly(index);
  for (std::size_t i = 0; i < list.Count() && i < before.size(); ++i)
    if (list.Items()[i].state != before[i]) InvalidateWaypoint(list, static_cast<int>(i), view_);
}

void ListOverlays::Run(Command command) {
  if (!lists_ || !tracks_) return;
  WaypointArray& waypoints = lists_->Waypoints();
  switch (command) {
    case Command::kLoadWaypoints: lists_->LoadWaypointsCommand(); break;
    case Command::kLoadTrack: tracks_->LoadNewTrackOrTell(); break;
    case Command::kSaveWaypoints: lists_->SaveWaypointsCommand(); break;
    case Command::kSaveTracks: tracks_->AskSaveTracks(); break;
    case Command::kClearWaypoints: lists_->ClearWaypointsCommand(); break;
    case Command::kClearTracks: ClearTracksCommand(*tracks_); break;
    case Command::kSaveAll:
      lists_->SaveBothLists();
      tracks_->AskSaveTracks();
      break;
    case Command::kEditWaypoint:
      if (Waypoint* w = waypoints.NthSelected(0)) WaypointArray::EditWaypoint(*w);
      break;
    case Command::kDeleteWaypoints: waypoints.DeleteWaypoints(true); break;
  }
}

void ListOverlays::AddWaypointAt(int64_t x, int64_t y) {
  if (lists_) lists_->Waypoints().AddWaypointAt(x, y);
}

bool ListOverlays::AnyChanged() {
  if (!lists_) return false;
  return lists_->Waypoints().Modified() || lists_->Places().Modified() || (tracks_ && tracks_->AnyTrackModified());
}

void ListOverlays::Start(const HStorageLink& link, QWidget* view, std::function<void()> changed) {
  StopListening();
  view_ = view;
  lists_ = std::make_unique<WaypointLists>(&link);
  tracks_ = std::make_unique<TrackArray>(&link);
  lists_->AutoLoad(ProgramFolder());
  StartTracks(*tracks_, link);
  auto notify = [changed](int32_t) {
    if (changed) changed();
  };
  waypointListener_ = lists_->Waypoints().AddListener(notify);
  placesListener_ = lists_->Places().AddListener(notify);
  trackListener_ = tracks_->AddListener(notify);
}

bool ListOverlays::CloseQuery() {
  if (!lists_) return true;
  // A places file that cannot be saved is reported; closing goes on.
  if (lists_->Places().Modified()) lists_->SavePlacesAtExit();
  WaypointArray& waypoints = lists_->Waypoints();
  if (waypoints.Modified()) {
    const int answer =
        AskYesNoCancel(nullptr, "%s", Translate("Waypoints are changed.\nSave changes before exit?"));
    if (answer == kAnswerCancel) return false;
    if (answer == kAnswerYes && !waypoints.SaveWaypoints(false)) {
      // A cancelled save dialog keeps the program running without a box.
      if (GetLastError() != kErrorCancelled) ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
      return false;
    }
  }
  if (tracks_ && tracks_->AnyTrackModified()) {
    const int answer = AskYesNoCancel(nullptr, "%s", Translate("Tracks are changed.\nSave changes before exit?"));
    if (answer == kAnswerCancel) return false;
    if (answer == kAnswerYes && !tracks_->AskSaveTracks()) return false;
  }
  return true;
}

void ListOverlays::Shutdown() {
  StopListening();
  if (tracks_) tracks_->Clear();
}

void ListOverlays::StopListening() {
  if (lists_) {
    if (waypointListener_) lists_->Waypoints().RemoveListener(waypointListener_);
    if (placesListener_) lists_->Places().RemoveListener(placesListener_);
  }
  if (tracks_ && trackListener_) tracks_->RemoveListener(trackListener_);
  waypointListener_ = placesListener_ = trackListener_ = 0;
}

}  // namespace tk

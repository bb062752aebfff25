// The mouse tools of the map view: panning, the selection and the offset
// correction, the pointer read-outs and the wheel.
#include <QCursor>
#include <QLabel>

#include "platform/i18n/translate.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/map_overlays.h"
#include "terrakon/app/map_view.h"
#include "terrakon/app/navigation.h"
#include "terrakon/app/selection_form.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/geodesy/coord_choice.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/geodesy/geoid.h"
#include "terrakon/plates/data_module.h"
#include "terrakon/plates/plate_key.h"

namespace tk {

void TMainForm::paintMouseDown(Qt::MouseButton button, int x, int y) {
  if (tool_ == kToolMove) {
    if (button == Qt::RightButton) {
      PopupMain(paint_->mapToGlobal(QPoint(x, y)));
    } else if (button == Qt::LeftButton) {
      dragState_ = 1;
      dragOrigin_ = {x, y};
    }
  } else if (tool_ == kToolSelect) {
    if (button == Qt::LeftButton) {
      dragState_ = 2;
      if (hitHandle_ == kHitNothing) {
        const int64_t gx = ClampToWorld(ScreenX2G(x)), gy = ClampToWorld(ScreenY2G(y));
        SetSelection({gx, gy, gx, gy});
      }
      DrawSelectionFrame(false);
      UpdateSelectionList();
    } else if (button == Qt::RightButton) {
      dragState_ = 1;
      dragOrigin_ = {x, y};
    }
  } else if (tool_ == kToolCorrect) {
    const int s = CorrectionShift(data_.view.Zoom, zoomOffset_);
    dragState_ = 1;
    dragOrigin_ = {x + static_cast<int>(settings::GlobalCorrectX.Get(link_) >> s),
                   y + static_cast<int>(settings::GlobalCorrectY.Get(link_) >> s)};
  }
}

void TMainForm::paintMouseMove(int x, int y) {
  if (x < 0 || y < 0 || x > paint_->width() || y > paint_->height()) return;
  pointerPixel_ = {x, y};
  pointerX_ = ScreenX2G(x);
  pointerY_ = ScreenY2G(y);
  const int64_t plate = PlateUnits(ClampZoom(data_.view.Zoom));
  pointerColumn_ = pointerX_ / plate;
  pointerRow_ = pointerY_ / plate;
  if (dragState_ == 0) {
    hoverWaypoint_ = -1;
    const int64_t reach = 3 * data_.view.PixelUnitsX;
    const int64_t bx0 = pointerX_ - reach, bx1 = pointerX_ + reach;
    const int64_t by0 = pointerY_ - reach, by1 = pointerY_ + reach;
    if (tool_ == kToolMove) {
      hoverWaypoint_ = overlays_ ? overlays_->FindWaypointAt(bx0, by0, bx1, by1) : -1;
      hitHandle_ = hoverWaypoint_ >= 0 ? kHitWaypoint : kHitNothing;
    } else if (tool_ == kToolSelect) {
      hitHandle_ = SelectionHitTest(Selection(), bx0, by0, bx1, by1);
    } else {
      hitHandle_ = kHitNothing;
    }
    SetPointerShape();
  }
  UpdatePointerReadouts();
  if (dragState_ == 1 && tool_ == kToolCorrect) {
    const int s = CorrectionShift(data_.view.Zoom, zoomOffset_);
    const int64_t unit = int64_t{1} << s;
    settings::GlobalCorrectX.Set(link_, int64_t{dragOrigin_.x() - x} * unit);
    settings::GlobalCorrectY.Set(link_, int64_t{dragOrigin_.y() - y} * unit);
    RefreshView();
  } else if (dragState_ == 1) {
    const int64_t pu = data_.view.PixelUnitsX;
    const QPoint origin = dragOrigin_;
    dragOrigin_ = {x, y};
    SetViewCenter(data_.view.CenterX + int64_t{origin.x() - x} * pu,
                  data_.view.CenterY + int64_t{y - origin.y()} * data_.view.PixelUnitsY);
  } else if (dragState_ == 2) {
    SelectionRect s = Selection();
    DragSelection(s, hitHandle_, ScreenX2G(x), ScreenY2G(y));
    SetSelection(s);
    DrawSelectionFrame(false);
    UpdateSelectionList();
  }
}

void TMainForm::paintMouseUp() {
  if (dragState_ == 2) {
    DrawSelectionFrame(false);
    UpdateSelectionList();
    paint_->update();
  }
  dragState_ = 0;
  dragOrigin_ = {0, 0};
}

void TMainForm::UpdatePointerReadouts() {
  const CoordChoice& c = CurrentChoice();
  const PixelPoint p{pointerX_, pointerY_};
  panels_[0][3]->setText(QString::fromStdString(FormatCoord(p, c.datum, 0, c.degType, " / ")));
  panels_[1][3]->setText(QString::fromStdString(FormatCoord(p, c.datum, c.coordSys, c.degType, " / ")));
  panels_[0][7]->setText(QString::fromStdString(GeoidHeightText(p)));
  panels_[1][1]->setText(QString::fromStdString(PlateKeyText(pointerColumn_, pointerRow_, data_.view.Zoom)));
}

void TMainForm::SetPointerShape() {
  Qt::CursorShape shape = tool_ == kToolSelect ? Qt::CrossCursor : Qt::ArrowCursor;
  switch (hitHandle_) {
    case kHitWaypoint: shape = Qt::PointingHandCursor; break;
    case kHitLeft:
    case kHitRight: shape = Qt::SizeHorCursor; break;
    case kHitBottom:
    case kHitTop: shape = Qt::SizeVerCursor; break;
    case kHitBottomLeft:
    case kHitTopRight: shape = Qt::SizeBDiagCursor; break;
    case kHitBottomRight:
    case kHitTopLeft: shape = Qt::SizeFDiagCursor; break;
    default: break;
  }
  paint_->setCursor(shape);
}

void TMainForm::WheelTurned(int delta, bool shift) {
  const int notches = WheelNotches(delta);
  if (notches == 0) return;
  if (shift)
    SetZoomOffset(zoomOffset_ + notches);
  else
    SetZoom(data_.view.Zoom + notches);
}

}  // namespace tk

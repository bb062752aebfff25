#include "terrakon/app/map_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QWheelEvent>

#include "terrakon/app/main_form.h"

namespace tk {

MapView::MapView(TMainForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("paint");
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the paint covers every pixel
  setFocusPolicy(Qt::ClickFocus);
}

void MapView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  Guarded([&] { form_.PaintMap(painter, event->region()); });
}

void MapView::resizeEvent(QResizeEvent*) { Guarded([&] { form_.RefreshView(); }); }

void MapView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  Guarded([&] { form_.paintMouseDown(event->button(), p.x(), p.y()); });
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  Guarded([&] { form_.paintMouseMove(p.x(), p.y()); });
}

void MapView::mouseReleaseEvent(QMouseEvent*) { Guarded([&] { form_.paintMouseUp(); }); }

void MapView::wheelEvent(QWheelEvent* event) {
  Guarded([&] { form_.WheelTurned(event->angleDelta().y(), event->modifiers() & Qt::ShiftModifier); });
  event->accept();
}

}  // namespace tk

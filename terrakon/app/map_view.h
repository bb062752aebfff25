// The map area of the main window ("paint"): hands its paint, mouse and
// wheel events to the main window.
#pragma once

#include <QWidget>

namespace tk {

class TMainForm;

class MapView final : public QWidget {
 public:
  MapView(TMainForm& form, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  TMainForm& form_;
};

// Runs an event handler: an abandoned operation has told the user already.
template <typename F>
void Guarded(F&& handler);

}  // namespace tk

#include "common/operation_abandoned.h"

template <typename F>
void tk::Guarded(F&& handler) {
  try {
    handler();
  } catch (const OperationAbandoned&) {
  }
}

// The selection list: a tool window beside the select tool listing what the
// selection covers at each zoom level, with ticks for the levels to work on.
#pragma once

#include <QWidget>
#include <functional>

#include "terrakon/app/selection_rows.h"

class QLabel;
class QTableWidget;
class QToolButton;
class QPushButton;

namespace tk {

class HStorageLink;

class TSelectionForm final : public QWidget {
 public:
  inline static constexpr int kSectionWidths[6] = {16, 25, 160, 72, 112, 77};

  // selection: read at every update; onClosed: called once the window closed.
  TSelectionForm(QWidget* owner, const HStorageLink& settings, std::function<SelectionRect()> selection,
                 std::function<void()> onClosed);

  void UpdateSelectionList();
  void ToggleLevel(int row);
  void SelectAll();
  void SelectNone();
  void InvertSelection();
  const LevelTicks& ticks() const { return ticks_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void TicksChanged();

  const HStorageLink& settings_;
  std::function<SelectionRect()> selection_;
  std::function<void()> onClosed_;
  LevelTicks ticks_{};
  QTableWidget* lstSelect_ = nullptr;
  QLabel* txtSelected_ = nullptr;
  QPushButton* btnLoad_ = nullptr;
  QPushButton* btnAnalize_ = nullptr;
  QPushButton* btnExport_ = nullptr;
  bool closed_ = false;
};

}  // namespace tk

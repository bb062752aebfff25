// The log box at the bottom of the main window: a drop-down list that shows
// the newest line closed and the recent lines open, over the core LogBox.
// Lines of other threads reach it through a queued call.
#pragma once

#include <QComboBox>
#include <memory>

#include "common/log_box.h"

namespace tk {

class HLogComboBox final : public QComboBox, private LogBoxObserver {
 public:
  explicit HLogComboBox(QWidget* parent = nullptr);
  ~HLogComboBox() override;

  const std::shared_ptr<LogBox>& core() const { return core_; }

 private:
  void LineAdded(const std::string& line) override;
  void OldestLinesRemoved(std::size_t count) override;
  void SelectionChanged(int index) override;

  std::shared_ptr<LogBox> core_;
};

}  // namespace tk

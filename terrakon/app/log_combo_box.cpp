#include "terrakon/app/log_combo_box.h"

#include <QMetaObject>
#include <QPointer>

namespace tk {

HLogComboBox::HLogComboBox(QWidget* parent) : QComboBox(parent), core_(std::make_shared<LogBox>()) {
  setEditable(false);
  setMaxVisibleItems(20);
  setFocusPolicy(Qt::NoFocus);
  core_->SetOptions(acbLog | acbIndexOnLast | acbFileLog);
  core_->SetObserver(this);
  QPointer<HLogComboBox> self(this);
  // Runs on a worker under the box's queue lock: only post, never touch the box.
  core_->SetWake([self] {
    if (self)
      QMetaObject::invokeMethod(
          self.data(), [self] { if (self) self->core_->Drain(); }, Qt::QueuedConnection);
  });
}

HLogComboBox::~HLogComboBox() {
  core_->DestroyWindow();
  core_->SetObserver(nullptr);
  core_->SetWake({});
}

void HLogComboBox::LineAdded(const std::string& line) { addItem(QString::fromStdString(line)); }

void HLogComboBox::OldestLinesRemoved(std::size_t count) {
  for (std::size_t i = 0; i < count && QComboBox::count() > 0; ++i) removeItem(0);
}

void HLogComboBox::SelectionChanged(int index) { setCurrentIndex(index); }

}  // namespace tk

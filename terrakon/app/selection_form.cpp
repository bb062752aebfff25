#include "terrakon/app/selection_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/i18n/translate.h"
#include "terrakon/config/settings_table.h"

namespace tk {
namespace {

QString Tr(const char* text) { return QString::fromUtf8(Translate(text)); }

}  // namespace

TSelectionForm::TSelectionForm(QWidget* owner, const HStorageLink& settings,
                               std::function<SelectionRect()> selection, std::function<void()> onClosed)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      settings_(settings),
      selection_(std::move(selection)),
      onClosed_(std::move(onClosed)) {
  setObjectName("SelectionForm");
  setWindowTitle(Tr("Selection"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  lstSelect_ = new QTableWidget(kSelectionLevels, 6, this);
  lstSelect_->setObjectName("lstSelect");
  lstSelect_->setHorizontalHeaderLabels({"", Tr("N"), Tr("Plates"), Tr("nPlates"), Tr("Image"), Tr("Avg Size")});
  lstSelect_->horizontalHeader()->setObjectName("header");
  lstSelect_->verticalHeader()->hide();
  lstSelect_->verticalHeader()->setDefaultSectionSize(16);
  lstSelect_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstSelect_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstSelect_->setSelectionMode(QAbstractItemView::SingleSelection);
  lstSelect_->setShowGrid(true);
  lstSelect_->setGridStyle(Qt::DotLine);
  for (int r = 0; r < kSelectionLevels; ++r)
    for (int c = 0; c < 6; ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      lstSelect_->setItem(r, c, item);
    }
  for (int i = 0; i < 6; ++i)
    lstSelect_->setColumnWidth(i, settings::SelListSection.Get(settings_, i, kSectionWidths[i]));
  connect(lstSelect_, &QTableWidget::cellPressed, this, [this](int row, int column) {
    if (column == 0) ToggleLevel(row);
  });
  layout->addWidget(lstSelect_, 1);

  auto* buttons = new QHBoxLayout;
  auto* btnSelect = new QToolButton(this);
  btnSelect->setObjectName("btnSelect");
  btnSelect->setText(Tr("Select"));
  btnSelect->setPopupMode(QToolButton::InstantPopup);
  auto* popupSelect = new QMenu(btnSelect);
  popupSelect->setObjectName("popupSelect");
  QAction* all = popupSelect->addAction(Tr("Select all"), this, &TSelectionForm::SelectAll);
  all->setShortcut(QKeySequence("Ctrl+A"));
  popupSelect->addAction(Tr("Select none"), this, &TSelectionForm::SelectNone);
  popupSelect->addAction(Tr("Invert selection"), this, &TSelectionForm::InvertSelection);
  btnSelect->setMenu(popupSelect);
  auto* ctrlA = new QShortcut(QKeySequence("Ctrl+A"), this);
  connect(ctrlA, &QShortcut::activated, this, &TSelectionForm::SelectAll);
  buttons->addWidget(btnSelect);
  // The operations' own windows are not part of this window.
  auto make = [&](const char* name, const char* caption, const char* hint) {
    auto* b = new QPushButton(Tr(caption), this);
    b->setObjectName(name);
    b->setToolTip(Tr(hint));
    buttons->addWidget(b);
    return b;
  };
  btnLoad_ = make("btnLoad", "&Load", "Load plates...");
  btnAnalize_ = make("btnAnalize", "Anali&ze...", "Analyze loaded data...");
  btnExport_ = make("btnExport", "&Export...", "Save selected area as image files...");
  layout->addLayout(buttons);

  txtSelected_ = new QLabel(this);
  txtSelected_->setObjectName("txtSelected");
  txtSelected_->setAutoFillBackground(true);
  QPalette pal = txtSelected_->palette();
  pal.setColor(QPalette::Window, Qt::white);
  txtSelected_->setPalette(pal);
  layout->addWidget(txtSelected_);

  resize(480, 560);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const WindowPlacement placed = settings::SEL_Window.Load(
      settings_, {x(), y(), width(), height(), kWindowNormal}, screen.width(), screen.height());
  setGeometry(placed.left, placed.top, placed.width, placed.height);
  TicksChanged();
}

void TSelectionForm::UpdateSelectionList() {
  const SelectionRect s = selection_();
  const QIcon tick = style()->standardIcon(QStyle::SP_DialogApplyButton);
  for (int r = 0; r < kSelectionLevels; ++r) {
    const SelectionRow row = MakeSelectionRow(s, r + 1);
    lstSelect_->item(r, 0)->setIcon(ticks_[r] ? tick : QIcon());
    lstSelect_->item(r, 1)->setText(QString::fromStdString(row.level));
    lstSelect_->item(r, 2)->setText(QString::fromStdString(row.plates));
    lstSelect_->item(r, 3)->setText(QString::fromStdString(row.nPlates));
    lstSelect_->item(r, 4)->setText(QString::fromStdString(row.image));
    lstSelect_->item(r, 5)->setText(QString::fromStdString(row.avgSize));
  }
  txtSelected_->setText(QString::fromStdString(SelectionSummary(s, ticks_)));
}

void TSelectionForm::ToggleLevel(int row) {
  if (row < 0 || row >= kSelectionLevels) return;
  ticks_[row] = !ticks_[row];
  TicksChanged();
}

void TSelectionForm::SelectAll() {
  ticks_.fill(true);
  TicksChanged();
}

void TSelectionForm::SelectNone() {
  ticks_.fill(false);
  TicksChanged();
}

void TSelectionForm::InvertSelection() {
  for (bool& t : ticks_) t = !t;
  TicksChanged();
}

void TSelectionForm::TicksChanged() {
  const bool any = AnyTicked(ticks_);
  btnLoad_->setEnabled(any);
  btnAnalize_->setEnabled(any);
  btnExport_->setEnabled(any);
  UpdateSelectionList();
}

void TSelectionForm::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    settings::SEL_Window.Save(settings_, {x(), y(), width(), height(),
                                          isMinimized() ? kWindowMinimized : isMaximized() ? kWindowMaximized : kWindowNormal});
    for (int i = 0; i < 6; ++i) settings::SelListSection.Set(settings_, i, lstSelect_->columnWidth(i));
    if (onClosed_) onClosed_();
  }
  event->accept();
}

}  // namespace tk

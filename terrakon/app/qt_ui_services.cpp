#include "terrakon/app/qt_ui_services.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/paths.h"
#include "platform/i18n/translate.h"

namespace tk {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString FilterText(const std::vector<std::string>& filters) {
  QStringList list;
  for (const std::string& f : filters) list << Q(f);
  return list.join(";;");
}

int FilterIndex(const std::vector<std::string>& filters, const QString& chosen) {
  for (std::size_t i = 0; i < filters.size(); ++i)
    if (Q(filters[i]) == chosen) return static_cast<int>(i);
  return 0;
}

QString InitialPath(const FileDialogRequest& r) {
  if (r.fileName.empty()) return Q(r.folder);
  if (r.folder.empty()) return Q(r.fileName);
  return Q(JoinPath(r.folder, r.fileName));
}

}  // namespace

void QtUiServices::ShowError(const std::string& message) {
  QMessageBox::critical(owner_, QString::fromUtf8(Translate("Error...")), Q(message));
}

void QtUiServices::ShowWarning(const std::string& message) {
  // Warnings carry the error icon too.
  QMessageBox::critical(owner_, QString::fromUtf8(Translate("Warning...")), Q(message));
}

bool QtUiServices::AskYesNo(const std::string& question) {
  return AskYesNoCancel(question, false, nullptr) != kAnswerNo;
}

int QtUiServices::AskYesNoCancel(const std::string& question, bool offerRemember, bool* remember) {
  QDialog box(owner_);
  box.setWindowTitle(Q(ProgramPath()));
  auto* layout = new QVBoxLayout(&box);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(&box);
  icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(new QLabel(Q(question), &box), 1);
  layout->addLayout(row);
  QCheckBox* tick = nullptr;
  if (offerRemember) {
    tick = new QCheckBox(QString::fromUtf8(Translate("Don't tell me again")), &box);
    layout->addWidget(tick);
  }
  auto* buttons = new QDialogButtonBox(&box);
  int answer = kAnswerCancel;
  auto add = [&](const char* caption, int value) {
    QPushButton* b = buttons->addButton(QString::fromUtf8(Translate(caption)), QDialogButtonBox::ActionRole);
    QObject::connect(b, &QPushButton::clicked, &box, [&box, &answer, value] {
      answer = value;
      box.accept();
    });
    return b;
  };
  add("&Yes", kAnswerYes)->setDefault(true);
  add("&No", kAnswerNo);
  // The two-button box has no cancel button; closing it counts as "not No".
  if (offerRemember || remember) add("Cancel", kAnswerCancel);
  layout->addWidget(buttons);
  QApplication::beep();
  box.exec();
  if (remember) *remember = tick && tick->isChecked();
  return answer;
}

std::optional<FileDialogResult> QtUiServices::OpenFileDialog(const FileDialogRequest& request) {
  QString chosenFilter = request.filterIndex >= 0 && request.filterIndex < static_cast<int>(request.filters.size())
                             ? Q(request.filters[request.filterIndex]) : QString();
  const QString path = QFileDialog::getOpenFileName(owner_, Q(request.title), InitialPath(request),
                                                    FilterText(request.filters), &chosenFilter);
  if (path.isEmpty()) return std::nullopt;
  return FileDialogResult{path.toStdString(), FilterIndex(request.filters, chosenFilter)};
}

std::optional<FileDialogResult> QtUiServices::SaveFileDialog(const FileDialogRequest& request) {
  QString chosenFilter = request.filterIndex >= 0 && request.filterIndex < static_cast<int>(request.filters.size())
                             ? Q(request.filters[request.filterIndex]) : QString();
  // The callers ask about overwriting themselves.
  const QString path = QFileDialog::getSaveFileName(owner_, Q(request.title), InitialPath(request),
                                                    FilterText(request.filters), &chosenFilter,
                                                    QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return std::nullopt;
  return FileDialogResult{path.toStdString(), FilterIndex(request.filters, chosenFilter)};
}

std::optional<std::string> QtUiServices::FolderDialog(const std::string& title, const std::string& folder) {
  const QString path = QFileDialog::getExistingDirectory(owner_, Q(title), Q(folder));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void QtUiServices::ProcessPendingMessages() { QCoreApplication::processEvents(); }

}  // namespace tk

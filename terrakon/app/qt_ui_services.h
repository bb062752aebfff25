// The user-interface services of the desktop program: Qt message boxes, the
// question box with its tick box, the shared file dialogs and processing of
// pending input for long operations.
#pragma once

#include <QPointer>
#include <QWidget>

#include "common/ui_services.h"

namespace tk {

class QtUiServices final : public UiServices {
 public:
  QtUiServices() = default;
  // Boxes are owned by this window (the main window), or by none.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowError(const std::string& message) override;
  void ShowWarning(const std::string& message) override;
  bool AskYesNo(const std::string& question) override;
  int AskYesNoCancel(const std::string& question, bool offerRemember, bool* remember) override;
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> FolderDialog(const std::string& title, const std::string& folder) override;
  void ProcessPendingMessages() override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace tk

// A UiServices for tests: records every question and message and answers
// from queues the test fills. An unexpected question gets the safe answer
// and is recorded, so the test can assert on it.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/ui_services.h"

namespace tk::testing {

class ScriptedUi final : public UiServices {
 public:
  struct Event {
    std::string kind;  // "error", "warning", "yesno", "yesnocancel", "open", "save", "folder"
    std::string text;
  };

  // Installs itself for the object's lifetime.
  ScriptedUi();
  ~ScriptedUi() override;
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  // Answers, taken in order.
  std::deque<bool> yesNo;
  struct YesNoCancel {
    int answer = kAnswerCancel;
    bool remember = false;
  };
  std::deque<YesNoCancel> yesNoCancel;
  std::deque<std::optional<FileDialogResult>> fileDialogs;
  std::deque<std::optional<std::string>> folders;

  std::vector<Event> events;
  int pendingMessageCalls = 0;

  void ShowError(const std::string& message) override;
  void ShowWarning(const std::string& message) override;
  bool AskYesNo(const std::string& question) override;
  int AskYesNoCancel(const std::string& question, bool offerRemember, bool* remember) override;
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> FolderDialog(const std::string& title, const std::string& folder) override;
  void ProcessPendingMessages() override { ++pendingMessageCalls; }

 private:
  UiServices* previous_;
};

}  // namespace tk::testing

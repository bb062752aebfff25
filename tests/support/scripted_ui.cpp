#include "tests/support/scripted_ui.h"

namespace tk::testing {

ScriptedUi::ScriptedUi() : previous_(SetUi(this)) {}
ScriptedUi::~ScriptedUi() { SetUi(previous_); }

void ScriptedUi::ShowError(const std::string& message) { events.push_back({"error", message}); }
void ScriptedUi::ShowWarning(const std::string& message) { events.push_back({"warning", message}); }

bool ScriptedUi::AskYesNo(const std::string& question) {
  events.push_back({"yesno", question});
  if (yesNo.empty()) return false;
  bool answer = yesNo.front();
  yesNo.pop_front();
  return answer;
}

int ScriptedUi::AskYesNoCancel(const std::string& question, bool offerRemember, bool* remember) {
  events.push_back({"yesnocancel", question});
  YesNoCancel next;
  if (!yesNoCancel.empty()) {
    next = yesNoCancel.front();
    yesNoCancel.pop_front();
  }
  if (remember) *remember = offerRemember && next.remember;
  return next.answer;
}

std::optional<FileDialogResult> ScriptedUi::OpenFileDialog(const FileDialogRequest& request) {
  events.push_back({"open", request.title});
  if (fileDialogs.empty()) return std::nullopt;
  auto answer = fileDialogs.front();
  fileDialogs.pop_front();
  return answer;
}

std::optional<FileDialogResult> ScriptedUi::SaveFileDialog(const FileDialogRequest& request) {
  events.push_back({"save", request.title});
  if (fileDialogs.empty()) return std::nullopt;
  auto answer = fileDialogs.front();
  fileDialogs.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUi::FolderDialog(const std::string& title, const std::string&) {
  events.push_back({"folder", title});
  if (folders.empty()) return std::nullopt;
  auto answer = folders.front();
  folders.pop_front();
  return answer;
}

}  // namespace tk::testing

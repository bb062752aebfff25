#include "common/ui_services.h"

#include <atomic>
#include <cstdarg>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"

namespace tk {
namespace {

class SilentUi final : public UiServices {
 public:
  void ShowError(const std::string&) override {}
  void ShowWarning(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  int AskYesNoCancel(const std::string&, bool, bool* remember) override {
    if (remember) *remember = false;
    return kAnswerCancel;
  }
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest&) override { return {}; }
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> FolderDialog(const std::string&, const std::string&) override {
    return {};
  }
  void ProcessPendingMessages() override {}
};

SilentUi g_silent;
std::atomic<UiServices*> g_ui{nullptr};

}  // namespace

UiServices& Ui() {
  UiServices* ui = g_ui.load();
  return ui ? *ui : g_silent;
}

UiServices* SetUi(UiServices* services) { return g_ui.exchange(services); }

void ErrorBox(const char* format, ...) {
  ErrorNumberKeeper keep;
  va_list args;
  va_start(args, format);
  const std::string message = VFormatText(format, args);
  va_end(args);
  Log("%s", message.c_str());
  Ui().ShowError(message);
}

void WarningBox(const char* format, ...) {
  ErrorNumberKeeper keep;
  va_list args;
  va_start(args, format);
  const std::string message = VFormatText(format, args);
  va_end(args);
  Ui().ShowWarning(message);
}

bool AskYesNo(const char* format, ...) {
  ErrorNumberKeeper keep;
  va_list args;
  va_start(args, format);
  const std::string question = VFormatText(format, args);
  va_end(args);
  return Ui().AskYesNo(question);
}

int AskYesNoCancel(int* remembered, const char* format, ...) {
  if (remembered && (*remembered == kAnswerYes || *remembered == kAnswerNo)) return *remembered;
  ErrorNumberKeeper keep;
  va_list args;
  va_start(args, format);
  const std::string question = VFormatText(format, args);
  va_end(args);
  bool remember = false;
  int answer = Ui().AskYesNoCancel(question, remembered != nullptr, &remember);
  if (answer != kAnswerYes && answer != kAnswerNo) return kAnswerCancel;
  if (remembered && remember) *remembered = answer;
  return answer;
}

}  // namespace tk

// The seam between core code and the user: every question, message box, file
// dialog and "let the window breathe" call of a long operation goes through
// one UiServices object. The desktop program installs its Qt implementation;
// tests install a scripted responder; without one, questions get their
// safe answer (No / Cancel) and nothing is shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tk {

// Answers of AskYesNoCancel, with the numbers stored callers rely on.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerCancel = 2;

struct FileDialogRequest {
  std::string title;
  std::vector<std::string> filters;  // "Waypoint files (*.wpt)" style entries
  int filterIndex = 0;               // selected entry of filters
  std::string folder;                // initial folder
  std::string fileName;              // initial file name
};

struct FileDialogResult {
  std::string path;
  int filterIndex = 0;
};

class UiServices {
 public:
  virtual ~UiServices() = default;

  virtual void ShowError(const std::string& message) = 0;
  virtual void ShowWarning(const std::string& message) = 0;
  virtual bool AskYesNo(const std::string& question) = 0;
  // kAnswerYes, kAnswerNo or kAnswerCancel. With offerRemember the box carries
  // the tick box "Don't tell me again"; *remember tells whether it was ticked.
  virtual int AskYesNoCancel(const std::string& question, bool offerRemember, bool* remember) = 0;

  virtual std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> FolderDialog(const std::string& title,
                                                  const std::string& folder) = 0;

  // Lets the user interface handle pending input during a long operation on
  // its own thread.
  virtual void ProcessPendingMessages() = 0;
};

// The installed services; never null (a silent default stands in).
UiServices& Ui();
// Installs services (null: the silent default); returns the previous ones.
UiServices* SetUi(UiServices* services);

// The program's message routines over the installed services. Each keeps the
// thread's error number. ErrorBox also logs the message.
void ErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
void WarningBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A remembered answer of kAnswerYes or kAnswerNo is returned at once without
// asking. With a remembered-answer slot the box offers "Don't tell me again",
// and a ticked Yes or No is stored there. A caller starts the slot at 0.
int AskYesNoCancel(int* remembered, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace tk

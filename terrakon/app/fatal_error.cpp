#include "terrakon/app/fatal_error.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "common/error.h"
#include "common/log.h"

namespace tk {
namespace {

void QtBox(const std::string& text) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QMessageBox::critical(QApplication::activeWindow(), "Programm aborted:", QString::fromStdString(text));
  else
    std::fprintf(stderr, "Programm aborted: %s\n", text.c_str());
}

FatalErrorBox& Box() {
  static FatalErrorBox box = QtBox;
  return box;
}

}  // namespace

FatalErrorBox SetFatalErrorBox(FatalErrorBox box) {
  FatalErrorBox previous = std::move(Box());
  Box() = box ? std::move(box) : FatalErrorBox(QtBox);
  return previous;
}

std::string FatalErrorText(const std::string& message, int error) {
  std::string text = message.substr(0, 1000);
  if (error != 0) text += "\nStdError: " + ErrorText(error);
  return text;
}

void FatalError(const char* format, ...) {
  const int error = GetLastError();
  char message[1001];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  const std::string text = FatalErrorText(message, error);
  Log("%s", text.c_str());
  Box()(text);
  std::exit(1);
}

}  // namespace tk

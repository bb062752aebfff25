#include "common/error.h"

#include <cstring>

#include "common/format_text.h"

namespace tk {
namespace {

constexpr std::size_t kErrorTextBytes = 1000;

// Per thread: a process-wide text would be a data race between threads that
// fail at the same time.
thread_local int t_error = 0;
thread_local char t_text[kErrorTextBytes] = "";

constexpr const char* kOwnTexts[] = {
    "The parameter is incorrect",                      // 20002
    "This function is not supported on this system",  // 20003
    "The wait operation timed out",
    "Operation on non connected pipe",
    "Data block integrity check fail",
    "Operation cancelled by use",
    "Need more data to complete operatio",
    "Bad DB cursor",
    "Error in DB fetch",
    "DB move out put bounds",
    "Already closed",
    "Operation on already closed pipe",
    "Error transfer data",
    "Broken data in structured header",
    "Bad ID magic value",
    "Out of bounds",
    "Server side error",
    "Unknown server side error",
    "Value out of possible range",
    "Data block contains unexpected data",
    "Specified buffer too small",  // 20022
};
static_assert(sizeof kOwnTexts / sizeof kOwnTexts[0] == kErrorBufferTooSmall - kErrorInvalidParameter + 1);

constexpr const char* kUnknown = "Unknown error";

std::string SystemErrorText(int error) {
  char buffer[256];
  // GNU strerror_r: returns the text, which may or may not live in buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  if (!text || !*text) return kUnknown;
  std::string result(text);
  // glibc names numbers it does not know "Unknown error N".
  if (result.rfind("Unknown error", 0) == 0) return kUnknown;
  std::size_t lineBreak = result.find_first_of("\r\n");
  if (lineBreak != std::string::npos) result.resize(lineBreak);
  return result;
}

}  // namespace

int GetLastError() { return t_error; }
void SetLastError(int error) { t_error = error; }
void SetLastErrorFromErrno() { t_error = errno; }

void VSetErrorText(const char* format, va_list args) {
  std::string text = VFormatText(format, args);
  std::size_t length = Utf8CutLength(text, kErrorTextBytes - 1);
  std::memcpy(t_text, text.data(), length);
  t_text[length] = '\0';
  t_error = kErrorText;
}

void SetErrorText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VSetErrorText(format, args);
  va_end(args);
}

std::string ErrorText(int error) {
  if (error < kErrorOwnBase) return SystemErrorText(error);
  if (error == kErrorText) return t_text;
  if (error >= kErrorInvalidParameter && error <= kErrorBufferTooSmall)
    return kOwnTexts[error - kErrorInvalidParameter];
  return kUnknown;
}

std::string ErrorText() { return ErrorText(t_error != 0 ? t_error : errno); }

}  // namespace tk

// Placeholder until the logging core lands.
#include "error.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>
namespace tk {
namespace { thread_local int t_error = 0; thread_local char t_text[1000]; }
int GetLastError() { return t_error; }
void SetLastError(int error) { t_error = error; }
void SetLastErrorFromErrno() { t_error = errno; }
void SetErrorText(const char* format, ...) {
  va_list args; va_start(args, format); std::vsnprintf(t_text, sizeof t_text, format, args); va_end(args);
  t_error = kErrorText;
}
std::string ErrorText(int error) { return error == kErrorText ? t_text : std::strerror(error); }
std::string ErrorText() { return ErrorText(t_error ? t_error : errno); }
}  // namespace tk

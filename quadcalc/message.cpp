#include "quadcalc/message.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tk {
namespace {

constexpr size_t kMessageBytes = 10001;

std::mutex gMessageLock;
char *gMessage = nullptr;  // allocated on first use

// A library has no windows of its own: the fatal box goes to stderr.
[[noreturn]] void Abort(const char *text) {
  std::fprintf(stderr, "Programm aborted:\n%s\n", text);
  std::exit(1);
}

__attribute__((destructor)) void FreeMessage() {
  std::lock_guard<std::mutex> lock(gMessageLock);
  std::free(gMessage);
  gMessage = nullptr;
}

}  // namespace

const char *SetMessage(const char *format, ...) {
  std::lock_guard<std::mutex> lock(gMessageLock);
  if (!gMessage) {
    gMessage = static_cast<char *>(std::malloc(kMessageBytes));
    if (!gMessage) Abort("!Alloc memory for message");
  }
  va_list args;
  va_start(args, format);
  std::vsnprintf(gMessage, kMessageBytes, format, args);
  va_end(args);
  return gMessage;
}

}  // namespace tk

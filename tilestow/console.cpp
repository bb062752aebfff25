#include "tilestow/console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>

#include "common/error.h"
#include "common/format_text.h"

namespace tk::tilestow {
namespace {

// The terminal as it was, for the signal handler.
struct termios g_saved;
volatile std::sig_atomic_t g_changed = 0;

void RestoreTerminal() {
  if (g_changed) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    g_changed = 0;
  }
}

void OnSignal(int signal) {
  RestoreTerminal();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void Fatal(std::string message, bool withError) {
  throw FatalError{std::move(message), withError ? GetLastError() : 0};
}

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
}

KeyboardWatch::KeyboardWatch() {
  if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &g_saved) != 0) return;
  struct termios raw = g_saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, OnSignal);
  // TCSANOW keeps keys typed before the run; they count as a press.
  if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
  g_changed = 1;
  active_ = true;
}

KeyboardWatch::~KeyboardWatch() {
  if (!active_) return;
  RestoreTerminal();
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, SIG_DFL);
}

bool KeyboardWatch::KeyPressed() {
  if (!active_) return false;
  struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
  if (::poll(&fd, 1, 0) <= 0 || !(fd.revents & POLLIN)) return false;
  // VMIN 0, VTIME 0: read returns 0 once nothing is left.
  char buffer[256];
  while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  return true;
}

Console::Console(bool quiet) : quiet_(quiet), last_(std::chrono::steady_clock::now()) {}

void Console::Warning(const char* format, ...) {
  if (quiet_) return;
  va_list args;
  va_start(args, format);
  const std::string text = VFormatText(format, args);
  va_end(args);
  std::printf("Warning: %s\n", text.c_str());
}

bool Console::Progress(int count, const std::string& line) {
  const auto now = std::chrono::steady_clock::now();
  const bool due = !quiet_ && now - last_ >= kProgressPeriod;
  if (due) last_ = now;
  if (count != 0 && !due) return true;
  if (keyboard_ && keyboard_->KeyPressed()) {
    SetLastError(kErrorCancelled);
    return false;
  }
  std::printf("%s    \r", line.c_str());
  std::fflush(stdout);
  return true;
}

}  // namespace tk::tilestow

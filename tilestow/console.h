// Console output of the storage utility: plain lines, warnings, fatal
// errors, and progress lines that overwrite each other, with the key test
// that lets the user stop a long run.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace tk::tilestow {

// Ends the run with "ABORT:"; error is the thread's error number at the
// failure (0: no "StdError:" line).
struct FatalError {
  std::string message;
  int error = 0;
};

[[noreturn]] void Fatal(std::string message, bool withError);

void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While it exists and standard input is a terminal, key presses are read
// without echo and without waiting for a line; the terminal is put back on
// destruction and on a terminating signal.
class KeyboardWatch {
 public:
  KeyboardWatch();
  ~KeyboardWatch();
  KeyboardWatch(const KeyboardWatch&) = delete;
  KeyboardWatch& operator=(const KeyboardWatch&) = delete;

  // True when a key press was pending; all pending presses are consumed.
  bool KeyPressed();

 private:
  bool active_ = false;
};

class Console {
 public:
  static constexpr std::chrono::milliseconds kProgressPeriod{600};

  explicit Console(bool quiet);

  bool Quiet() const { return quiet_; }
  void Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // A progress point with the line: shown (and the keyboard looked at) for
  // the first item and then at most once a period. False when a key press
  // cancelled; the thread's error is then kErrorCancelled.
  bool Progress(int count, const std::string& line);

  // From now on progress points look at the keyboard.
  void WatchKeyboard() { keyboard_ = std::make_unique<KeyboardWatch>(); }

 private:
  bool quiet_;
  std::chrono::steady_clock::time_point last_;
  std::unique_ptr<KeyboardWatch> keyboard_;
};

}  // namespace tk::tilestow

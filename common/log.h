// The program's log: Log() writes into the log target (the main window's log
// box, from any thread); LogToFile() appends to the log file only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tk {

// Adds the formatted message to the log target; nothing when there is none.
// Callable from any thread; never changes the thread's error number.
bool Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends the formatted message to the file that the log-file name provider
// names; returns the number of characters of the message.
int LogToFile(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where Log() puts its messages. Add is called from any thread.
class LogTarget {
 public:
  virtual ~LogTarget() = default;
  virtual void Add(std::string_view message) = 0;
  // The target's log file, for the provider that InitLogging installs.
  virtual std::string LogFile() const { return {}; }
};

// Replaces the log target (null: none) and returns the previous one. A thread
// that is logging keeps its own reference, so the old target stays alive
// until that call has finished.
std::shared_ptr<LogTarget> SetLogTarget(std::shared_ptr<LogTarget> target);
std::shared_ptr<LogTarget> CurrentLogTarget();

// Names the file of LogToFile: "-" (nothing written) and absolute names are
// used as they are, other names relative to the program folder; no provider
// or an empty name: no output. Setting one returns the previous provider.
using LogFileNameProvider = std::function<std::string()>;
LogFileNameProvider SetLogFileNameProvider(LogFileNameProvider provider);

}  // namespace tk

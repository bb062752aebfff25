#include "common/log.h"

#include <cstdarg>
#include <mutex>

#include "common/error.h"
#include "common/file_log.h"
#include "common/format_text.h"
#include "common/paths.h"

namespace tk {
namespace {

std::mutex g_mutex;  // guards the two below
std::shared_ptr<LogTarget> g_target;
LogFileNameProvider g_provider;

}  // namespace

std::shared_ptr<LogTarget> SetLogTarget(std::shared_ptr<LogTarget> target) {
  std::lock_guard lock(g_mutex);
  g_target.swap(target);
  return target;
}

std::shared_ptr<LogTarget> CurrentLogTarget() {
  std::lock_guard lock(g_mutex);
  return g_target;
}

LogFileNameProvider SetLogFileNameProvider(LogFileNameProvider provider) {
  std::lock_guard lock(g_mutex);
  g_provider.swap(provider);
  return provider;
}

bool Log(const char* format, ...) {
  if (!format) return true;
  ErrorNumberKeeper keep;
  std::shared_ptr<LogTarget> target = CurrentLogTarget();
  if (!target) return true;
  va_list args;
  va_start(args, format);
  std::string message = VFormatText(format, args);
  va_end(args);
  target->Add(message);
  return true;
}

int LogToFile(const char* format, ...) {
  if (!format) return 0;
  ErrorNumberKeeper keep;
  va_list args;
  va_start(args, format);
  std::string message = VFormatText(format, args);
  va_end(args);
  message.resize(Utf8CutLength(message, FileLog::kMaxMessage));

  LogFileNameProvider provider;
  {
    std::lock_guard lock(g_mutex);
    provider = g_provider;
  }
  // Called outside the lock: the provider may itself look at the log target.
  std::string name = provider ? provider() : std::string();
  if (!name.empty()) {
    if (name != "-") name = ProgramRelativePath(name);
    FileLog::Process().Write(name, message);
  }
  return static_cast<int>(message.size());
}

}  // namespace tk

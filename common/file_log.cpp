#include "common/file_log.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "common/error.h"
#include "common/format_text.h"

namespace tk {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string LinePrefix(int error) {
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  // No module handles here: the process id stands for the program's module.
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, " %02d-%02d-%4d %02d:%02d:%02d:%04d %6d_%08X %06d: ",
                local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000),
                static_cast<int>(getpid()), static_cast<unsigned>(gettid()), error);
  return prefix;
}

// Lines end at CR, at LF and after kMaxLine bytes; empty lines are skipped.
void AppendLines(std::string& out, const std::string& prefix, std::string_view message) {
  std::size_t i = 0;
  while (i < message.size()) {
    std::size_t end = message.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = message.size();
    std::string_view line = message.substr(i, end - i);
    while (!line.empty()) {
      std::size_t length = Utf8CutLength(line, FileLog::kMaxLine);
      if (length == 0) length = line.size() < FileLog::kMaxLine ? line.size() : FileLog::kMaxLine;
      out += prefix;
      out.append(line.data(), length);
      out += '\n';
      line.remove_prefix(length);
    }
    i = end + 1;
  }
}

}  // namespace

bool FileLog::Write(const std::string& fileName, std::string_view message) {
  ErrorNumberKeeper keep;
  if (fileName.empty() || fileName == "-") return true;
  message = message.substr(0, Utf8CutLength(message, kMaxMessage));

  // The time is taken under the lock so that the file's times never go back.
  std::lock_guard lock(mutex_);
  std::string text;
  AppendLines(text, LinePrefix(keep.saved()), message);
  const bool first = !started_;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), first ? "w" : "a"));
  if (!file) return false;
  started_ = true;
  if (first) std::fputs(kHeader, file.get());
  bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return std::fclose(file.release()) == 0 && ok;
}

FileLog& FileLog::Process() {
  // Never destroyed: threads and static destructors may still log at exit.
  static FileLog* instance = new FileLog;
  return *instance;
}

}  // namespace tk

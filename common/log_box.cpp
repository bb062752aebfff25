#include "common/log_box.h"

#include <algorithm>

#include "common/error.h"

namespace tk {

LogBox::LogBox(FileLog& fileLog) : fileLog_(fileLog), owner_(std::this_thread::get_id()) {}

std::string LogBox::LogFile() const {
  std::lock_guard lock(fileNameMutex_);
  return logFile_;
}

void LogBox::SetLogFile(std::string fileName) {
  std::lock_guard lock(fileNameMutex_);
  logFile_ = std::move(fileName);
}

void LogBox::CreateWindow() {
  std::lock_guard lock(queueMutex_);
  windowExists_.store(true);
}

void LogBox::DestroyWindow() {
  std::lock_guard lock(queueMutex_);
  windowExists_.store(false);
}

void LogBox::SetWake(std::function<void()> wake) {
  std::lock_guard lock(queueMutex_);
  wake_ = std::move(wake);
}

std::size_t LogBox::Pending() const {
  std::lock_guard lock(queueMutex_);
  return queue_.size();
}

void LogBox::Add(std::string_view message) {
  if (!(Options() & acbLog)) return;
  if (OnOwnerThread()) {
    Handle(message);
    return;
  }
  ErrorNumberKeeper keep;
  {
    std::lock_guard lock(queueMutex_);
    if (!windowExists_.load()) return;
    if (queue_.size() < kMaxPending) {
      queue_.emplace_back(message);
      if (wake_) wake_();
      return;
    }
  }
  // The owner thread is not keeping up: keep the line in the file at least.
  if (Options() & acbFileLog) fileLog_.Write(LogFile(), message);
}

std::size_t LogBox::Drain() {
  if (!OnOwnerThread()) return 0;
  std::deque<std::string> messages;
  {
    std::lock_guard lock(queueMutex_);
    messages.swap(queue_);
  }
  for (const std::string& message : messages) Handle(message);
  return messages.size();
}

void LogBox::Handle(std::string_view message) {
  if (!(Options() & acbLog)) return;
  {
    ErrorNumberKeeper keep;  // the observer's window code may change it
    if (WindowExists()) {
      const std::size_t limit = static_cast<std::size_t>(LogLimit());
      // Trimmed before adding and by 50 lines at once: the box stays within
      // its limit without shifting its whole list for every new line.
      if (limit != 0 && lines_.size() >= limit) {
        const std::size_t keepLines = limit > 50 ? limit - 50 : 0;
        const std::size_t removed = lines_.size() - keepLines;
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(removed));
        if (selected_ >= 0) selected_ = selected_ >= static_cast<int>(removed)
                                            ? selected_ - static_cast<int>(removed)
                                            : -1;
        if (observer_) observer_->OldestLinesRemoved(removed);
      }
      // A CR stays in its piece; only LF splits.
      std::size_t start = 0;
      while (true) {
        std::size_t end = message.find('\n', start);
        if (end == std::string_view::npos) {
          // A message that ends with LF has no empty last line.
          if (start < message.size() || start == 0) AddLine(std::string(message.substr(start)));
          break;
        }
        AddLine(std::string(message.substr(start, end - start)));
        start = end + 1;
      }
    }
  }
  if ((Options() & acbFileLog)) {
    std::string fileName = LogFile();
    if (!fileName.empty()) fileLog_.Write(fileName, message);
  }
}

void LogBox::AddLine(std::string line) {
  lines_.push_back(std::move(line));
  if (observer_) observer_->LineAdded(lines_.back());
  if (Options() & acbIndexOnLast) {
    selected_ = static_cast<int>(lines_.size()) - 1;
    if (observer_) observer_->SelectionChanged(selected_);
  }
}

}  // namespace tk

// Collects the Log() lines of a test while it is installed.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/log.h"

namespace tk::testing {

class LogCapture {
 public:
  LogCapture() : sink_(std::make_shared<Sink>()) { previous_ = SetLogTarget(sink_); }
  ~LogCapture() { SetLogTarget(previous_); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> Lines() const {
    std::lock_guard lock(sink_->mutex);
    return sink_->lines;
  }
  bool Has(std::string_view line) const {
    std::lock_guard lock(sink_->mutex);
    for (const std::string& l : sink_->lines)
      if (l == line) return true;
    return false;
  }
  void Clear() {
    std::lock_guard lock(sink_->mutex);
    sink_->lines.clear();
  }

 private:
  struct Sink : LogTarget {
    void Add(std::string_view message) override {
      std::lock_guard lock(mutex);
      lines.emplace_back(message);
    }
    mutable std::mutex mutex;
    std::vector<std::string> lines;
  };
  std::shared_ptr<Sink> sink_;
  std::shared_ptr<LogTarget> previous_;
};

}  // namespace tk::testing

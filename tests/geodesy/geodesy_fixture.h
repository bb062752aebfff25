// Shared set-up of the geodesy tests: the engine with the shipped datum
// table (made once per program), a settings store and a log recorder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/log.h"
#include "platform/geoengine/geo_engine.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"

namespace tk::testing {

inline void UseShippedEngine() {
  if (DatumCountS() == 0) {
    ASSERT_EQ(InitializeEngine(), 0) << GetError();
  }
}

// Records Log() lines while it is installed.
class LogRecorder {
 public:
  LogRecorder() : target_(std::make_shared<Target>()) { previous_ = SetLogTarget(target_); }
  ~LogRecorder() { SetLogTarget(previous_); }
  LogRecorder(const LogRecorder&) = delete;
  LogRecorder& operator=(const LogRecorder&) = delete;

  std::vector<std::string> Lines() const {
    std::lock_guard lock(target_->mutex);
    return target_->lines;
  }

 private:
  struct Target : LogTarget {
    void Add(std::string_view message) override {
      std::lock_guard lock(mutex);
      lines.emplace_back(message);
    }
    mutable std::mutex mutex;
    std::vector<std::string> lines;
  };
  std::shared_ptr<Target> target_;
  std::shared_ptr<LogTarget> previous_;
};

// A settings store without a file and the main window's link into it.
struct Settings {
  HCfgStorage store;
  HStorageLink link{&store, "IDE"};
};

}  // namespace tk::testing

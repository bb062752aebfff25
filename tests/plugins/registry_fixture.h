// A clean registry for each test: the fake plugin reset, a scripted user,
// a log that records its lines, and empty lists afterwards.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/log.h"
#include "terrakon/plugins/plugins_array.h"
#include "terrakon/plugins/storage_array.h"
#include "tests/plugins/fake_plugin_access.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace tk::testing {

class RecordingLog final : public LogTarget {
 public:
  void Add(std::string_view message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(message);
  }
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  bool Has(const std::string& line) const {
    for (const std::string& l : Lines())
      if (l == line) return true;
    return false;
  }
  int Count(const std::string& line) const {
    int n = 0;
    for (const std::string& l : Lines()) n += l == line;
    return n;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fake_.Loaded()) << dlerror();
    previousLog_ = SetLogTarget(log_ptr_);
  }
  void TearDown() override {
    StorageArray().Clear();
    PluginsArray().Clear();
    SetLogTarget(previousLog_);
  }

  FakePlugin fake_{FAKE_PLUGIN};
  ScriptedUi ui_;
  TempDir temp_;
  std::shared_ptr<RecordingLog> log_ptr_ = std::make_shared<RecordingLog>();
  RecordingLog& log_ = *log_ptr_;
  std::shared_ptr<LogTarget> previousLog_;
};

}  // namespace tk::testing

// The test's own handle on the fake plugin library: its control record and
// memory storages. Holding the library open keeps that state between loads
// by a host.
#pragma once

#include <dlfcn.h>

#include <string>

#include "tests/plugins/fake_plugin.h"

namespace tk::testing {

class FakePlugin {
 public:
  explicit FakePlugin(const std::string& path) : module_(dlopen(path.c_str(), RTLD_NOW)) {
    if (!module_) return;
    control_ = reinterpret_cast<FakePluginControlFunc>(dlsym(module_, "FakePluginControl"));
    reset_ = reinterpret_cast<FakePluginResetFunc>(dlsym(module_, "FakePluginReset"));
    put_ = reinterpret_cast<FakePluginPutFunc>(dlsym(module_, "FakePluginPut"));
    size_ = reinterpret_cast<FakePluginSizeFunc>(dlsym(module_, "FakePluginSize"));
    reset_();
  }
  ~FakePlugin() {
    if (module_) {
      reset_();
      dlclose(module_);
    }
  }
  FakePlugin(const FakePlugin&) = delete;
  FakePlugin& operator=(const FakePlugin&) = delete;

  bool Loaded() const { return module_ && control_ && reset_ && put_ && size_; }
  FakeControl& Control() const { return *control_(); }
  void Reset() const { reset_(); }
  void Put(const std::string& path, const std::string& key, const std::string& data) const {
    put_(path.c_str(), key.c_str(), data.data(), static_cast<uint32_t>(data.size()));
  }
  int Size(const std::string& path, const std::string& key) const {
    return size_(path.c_str(), key.c_str());
  }

 private:
  void* module_;
  FakePluginControlFunc control_ = nullptr;
  FakePluginResetFunc reset_ = nullptr;
  FakePluginPutFunc put_ = nullptr;
  FakePluginSizeFunc size_ = nullptr;
};

}  // namespace tk::testing

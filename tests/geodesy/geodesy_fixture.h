// Shared set-up of the geodesy tests: the engine with the shipped datum
// table (made once per program), a settings store and a log recorder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/log_capture.h"
#include "platform/geoengine/geo_engine.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"

namespace tk::testing {

inline void UseShippedEngine() {
  if (DatumCountS() == 0) {
    ASSERT_EQ(InitializeEngine(), 0) << GetError();
  }
}

// A settings store without a file and the main window's link into it.
struct Settings {
  HCfgStorage store;
  HStorageLink link{&store, "IDE"};
};

}  // namespace tk::testing

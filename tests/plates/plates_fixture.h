// A cache directory of its own, the program's memory cache emptied, the
// plate switches at their defaults (memory cache in use) and the log caught.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/imagelib/imagelib.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"
#include "tests/imagelib/test_images.h"
#include "tests/support/log_capture.h"

namespace tk::testing {

class PlatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("tk_plates_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    SetCacheDirectory(root_.string());
    CacheClear();
    SetCacheLimit(100);
    Switches().memoryCacheInUse = true;
    Switches().useCache = true;
    Switches().delUnknownImages = true;
    Switches().useInet = true;
    Switches().useBigImage = false;
    log_.Clear();
  }
  void TearDown() override {
    CacheClear();
    std::filesystem::remove_all(root_);
  }

  // Writes the plate file of key.
  std::string PutPlate(const std::string& key, const std::vector<uint8_t>& bytes) {
    std::string path = PlatePath(key);
    WriteFile(path, bytes);
    return path;
  }

  std::filesystem::path root_;
  LogCapture log_;
};

// A plate picture: the northern half red, the southern half blue.
inline img::Bitmap NorthRedSouthBlue(int side) {
  img::Bitmap b;
  img::AllocBitmap(b, img::kBgr, side, side, 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      uint8_t* p = b.Row(y) + x * 3;
      bool north = y < side / 2;
      p[0] = north ? 0 : 255;
      p[2] = north ? 255 : 0;
    }
  return b;
}

}  // namespace tk::testing

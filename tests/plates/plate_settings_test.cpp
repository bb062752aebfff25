#include "terrakon/plates/plate_settings.h"

#include <gtest/gtest.h>

#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_switches.h"

namespace tk {
namespace {

TEST(PlateSettings, FillTheSwitchesLimitAndDirectory) {
  HCfgStorage storage;
  HStorageLink link(&storage, "IDE");
  Switches().memoryCacheInUse = false;
  ApplyPlateSettings(link);  // an empty store: the defaults
  EXPECT_TRUE(Switches().memoryCacheInUse);
  EXPECT_TRUE(Switches().useCache);
  EXPECT_TRUE(Switches().delUnknownImages);
  EXPECT_TRUE(Switches().useInet);
  EXPECT_FALSE(Switches().useBigImage);
  EXPECT_EQ(CacheCountLimit(), 100);
  EXPECT_NE(storage.Root().FindItem("IDE/MaxCount"), nullptr);  // read with its default: saved next time

  link.SetBool("UseCache", false);
  link.SetBool("DelUnknownImages", false);
  link.SetBool("UseInet", false);
  link.SetBool("UseBigImage", true);
  link.SetInt("MaxCount", 250);
  link.SetString("Cache", "/srv/plates");
  ApplyPlateSettings(link);
  EXPECT_FALSE(Switches().useCache);
  EXPECT_FALSE(Switches().delUnknownImages);
  EXPECT_FALSE(Switches().useInet);
  EXPECT_TRUE(Switches().useBigImage);
  EXPECT_EQ(CacheCountLimit(), 250);
  EXPECT_EQ(CacheByteLimit(), 250u * kPlateImageBytes);
  EXPECT_EQ(CacheDirectory(), "/srv/plates");
}

}  // namespace
}  // namespace tk

// Plates from storages: list order, error counting to the disabling line,
// bad blocks, undecodable blocks, the cheap presence question, the wiring
// into the plate source chain, and list changes while other threads read.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "common/paths.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_source.h"
#include "terrakon/plates/plate_switches.h"
#include "terrakon/plugins/storage_reading.h"
#include "tests/plugins/registry_fixture.h"

namespace tk {
namespace {

class StorageReadingTest : public testing::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
    SetMaxStorageErrors(3);
    CacheClear();
    blue_ = testing::ReadWholeFile(STORAGE_FIXTURES "/plate_blue.jpg");
    red_ = testing::ReadWholeFile(STORAGE_FIXTURES "/plate_red.jpg");
    ASSERT_FALSE(blue_.empty());
  }
  void TearDown() override {
    SetPlateStorages(nullptr);
    CacheClear();
    RegistryTest::TearDown();
  }

  // An active item over the fake plugin's storage of that name.
  StorageItem* Connect(const std::string& name) {
    auto item = std::make_unique<StorageItem>();
    item->LibName = StoredPath(FAKE_PLUGIN);
    item->UsedPathName = temp_.File(name);
    testing::WriteWholeFile(item->UsedPathName, "");
    EXPECT_TRUE(ActivateStorage(*item)) << ErrorText();
    return StorageArray().Append(std::move(item));
  }
  void Put(StorageItem* item, const std::string& key, const std::string& data) {
    fake_.Put(item->UsedPathName, key, data);
  }
  // Blue-green-red of the plate's first pixel, roughly.
  static std::string Colour(const PlateRef& plate) {
    if (!plate.IsImage()) return "none";
    const std::uint8_t* p = plate.bits();
    return p[2] > 150 && p[0] < 80 ? "red" : p[0] > 150 && p[2] < 80 ? "blue" : "other";
  }

  std::string blue_, red_;
};

TEST_F(StorageReadingTest, FourthFailureDisablesWithTheNumbers4And3) {
  StorageItem* item = Connect("a.db");
  fake_.Control().getResult = StorageError;
  const std::string error = "Error during get image from storage [" + item->UsedPathName +
                            "]: fake failure";
  const std::string disabled = "Storage [" + item->UsedPathName +
                               "] will be disable becouse of maximum errors reached 4 > 3";
  for (std::uint32_t i = 1; i <= 3; ++i) {
    EXPECT_FALSE(ReadStoragePlate("q", item));
    EXPECT_EQ(item->Errors, i);
    EXPECT_TRUE(IsStorageActive(*item));
  }
  EXPECT_EQ(log_.Count(error), 3);
  EXPECT_FALSE(log_.Has(disabled));
  EXPECT_FALSE(ReadStoragePlate("q", item));
  EXPECT_EQ(log_.Count(error), 4);
  EXPECT_TRUE(log_.Has(disabled));
  EXPECT_FALSE(IsStorageActive(*item));
  EXPECT_FALSE(item->Enabled);
  // Inactive now: not asked again, nothing more counted.
  const int gets = fake_.Control().gets;
  EXPECT_FALSE(ReadStoragePlate("q", item));
  EXPECT_EQ(fake_.Control().gets, gets);
}

TEST_F(StorageReadingTest, BadBlocksCountLikePluginErrors) {
  StorageItem* item = Connect("a.db");
  SetMaxStorageErrors(10);
  const std::string prefix = "Error during get image from storage [" + item->UsedPathName +
                             "]: Plugin returns bad data pointer: ";
  for (int block : {kFakeBlockNull, kFakeBlockEmpty, kFakeBlockHuge}) {
    fake_.Control().getBlock = block;
    EXPECT_FALSE(ReadStoragePlate("qr", item));
  }
  EXPECT_EQ(item->Errors, 3u);
  const std::vector<std::string> lines = log_.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], prefix + "(nil)[100] (1), \"qr\"");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 13), "[0] (1), \"qr\"");
  EXPECT_EQ(lines[2].substr(lines[2].size() - 22), "[2147483647] (1), \"qr\"");
}

TEST_F(StorageReadingTest, NotFoundIsSilentForever) {
  StorageItem* item = Connect("a.db");
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(ReadPlateFromStorages("qrst"));
  EXPECT_EQ(item->Errors, 0u);
  EXPECT_TRUE(IsStorageActive(*item));
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(StorageReadingTest, UndecodableBlockIsLoggedNotCountedAndTheNextStorageAsked) {
  StorageItem* broken = Connect("a.db");
  StorageItem* good = Connect("b.db");
  Put(broken, "q", "\xFF\xD8 not really a picture");
  Put(good, "q", blue_);
  const PlateRef plate = ReadPlateFromStorages("q");
  EXPECT_EQ(Colour(plate), "blue");
  EXPECT_EQ(plate.bytes(), kPlateImageBytes);
  EXPECT_EQ(broken->Errors, 0u);
  ASSERT_EQ(log_.Lines().size(), 1u);
  EXPECT_EQ(log_.Lines()[0].rfind("Error loading storage image: ", 0), 0u);
  EXPECT_EQ(good->Errors, 0u);
}

TEST_F(StorageReadingTest, ListOrderDecidesWhichStorageSupplies) {
  StorageItem* first = Connect("a.db");
  StorageItem* second = Connect("b.db");
  Put(first, "qt", red_);
  Put(second, "qt", blue_);
  EXPECT_EQ(Colour(ReadPlateFromStorages("qt")), "red");
  StorageArray().Swap(0, 1);
  EXPECT_EQ(Colour(ReadPlateFromStorages("qt")), "blue");
  DeactivateStorage(*second);
  EXPECT_EQ(Colour(ReadPlateFromStorages("qt")), "red");
}

TEST_F(StorageReadingTest, PresenceAsksOnlyActiveStoragesAndCountsNothing) {
  StorageItem* item = Connect("a.db");
  Put(item, "qq", blue_);
  EXPECT_TRUE(StoragesHavePlate("qq"));
  EXPECT_FALSE(StoragesHavePlate("qr"));
  fake_.Control().checkResult = StorageError;
  EXPECT_FALSE(StoragesHavePlate("qq"));
  EXPECT_EQ(item->Errors, 0u);
  EXPECT_TRUE(log_.Lines().empty());
  fake_.Control().checkResult = FAKE_NORMAL;
  DeactivateStorage(*item);
  EXPECT_FALSE(StoragesHavePlate("qq"));
}

TEST_F(StorageReadingTest, TheSourceChainAsksTheStorages) {
  StorageItem* item = Connect("a.db");
  Put(item, "tq", red_);
  SetCacheDirectory(temp_.File("Cache"));  // an empty disk cache
  InstallStorageReader();
  EXPECT_TRUE(PlateAvailable("tq"));
  EXPECT_FALSE(PlateAvailable("tr"));
  EXPECT_EQ(Colour(FindPlate("tq")), "red");
  EXPECT_FALSE(FindPlate("tr"));
  DeactivateStorage(*item);
  EXPECT_FALSE(PlateAvailable("tq"));
}

// Workers check, the painter reads, and the user changes the lists at the
// same time; the sanitizer build turns any unguarded access into a failure.
TEST_F(StorageReadingTest, ListChangesWhileOtherThreadsRead) {
  for (const char* name : {"a.db", "b.db", "c.db"}) Put(Connect(name), "qrs", blue_);
  std::atomic<bool> stop{false};
  std::atomic<int> reads{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      while (!stop) {
        if (t == 0)
          ReadPlateFromStorages("qrs");
        else
          StoragesHavePlate("qrs");
        ++reads;
      }
    });
  }
  for (int round = 0; round < 200; ++round) {
    StorageArray().Swap(0, round % 3);
    DeactivateStorage(*StorageArray().Item(1));
    ActivateStorage(*StorageArray().Item(1));
    if (round % 10 == 5) {
      // Freeing the plugin deactivates every item; loading it again lets
      // them be activated once more.
      FreePlugin(0);
      ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
      for (std::size_t i = 0; i < StorageArray().Count(); ++i) ActivateStorage(*StorageArray().Item(i));
    }
    if (round % 20 == 10) {
      StorageArray().Delete(2);
      Put(Connect("d.db"), "qrs", blue_);
    }
    std::this_thread::yield();
  }
  stop = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_GT(reads.load(), 0);
}

}  // namespace
}  // namespace tk

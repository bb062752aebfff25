#include "terrakon/plates/plate_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "terrakon/plates/disk_cache.h"
#include "terrakon/plates/plate_key.h"
#include "tests/plates/plates_fixture.h"

namespace tk {
namespace {

using testing::Encode;
using testing::SolidPicture;

PlateRef Image(uint8_t fill) {
  auto block = std::make_shared_for_overwrite<uint8_t[]>(kPlateImageBytes);
  std::memset(block.get(), fill, kPlateImageBytes);
  return PlateRef::Image(std::move(block), kPlateImageBytes);
}

struct FakeStorages : PlateStorages {
  bool active = true;
  std::map<std::string, uint8_t> plates;  // key -> fill byte
  int reads = 0;
  PlateRef ReadPlate(std::string_view key) override {
    ++reads;
    auto it = plates.find(std::string(key));
    if (!active || it == plates.end()) return PlateRef();
    return CacheStore(Image(it->second), key);
  }
  bool HavePlate(std::string_view key) override { return active && plates.count(std::string(key)); }
};

struct FakeDownloader : PlateDownloader {
  bool ready = true;
  bool accept = true;
  std::set<std::string> queued;
  int calls = 0;
  bool Ready() override { return ready; }
  bool Queue(int64_t, int64_t, int, std::string_view key) override {
    ++calls;
    if (accept) queued.emplace(key);
    return accept;
  }
};

class PlateSource : public testing::PlatesTest {
 protected:
  void SetUp() override {
    PlatesTest::SetUp();
    SetPlateStorages(storages_);
    SetPlateDownloader(downloader_);
  }
  void TearDown() override {
    SetPlateStorages(nullptr);
    SetPlateDownloader(nullptr);
    PlatesTest::TearDown();
  }
  // The blue byte of a plate.
  static int Blue(const PlateRef& r) { return r.IsImage() ? r.bits()[300] : -1; }

  std::shared_ptr<FakeStorages> storages_ = std::make_shared<FakeStorages>();
  std::shared_ptr<FakeDownloader> downloader_ = std::make_shared<FakeDownloader>();
};

TEST_F(PlateSource, MemoryThenFileThenStorages) {
  CacheStore(Image(10), "q");
  PutPlate("q", Encode(SolidPicture(256, 256, 120, 0, 0), img::kFormatPng));
  storages_->plates["q"] = 200;
  EXPECT_EQ(Blue(FindPlate("q")), 10);
  CacheRemove("q");
  EXPECT_EQ(Blue(FindPlate("q")), 120);
  EXPECT_EQ(Blue(CacheLookup("q")), 120);  // the file went into memory
  EXPECT_EQ(storages_->reads, 0);
  CacheRemove("q");
  std::filesystem::remove(PlatePath("q"));
  EXPECT_EQ(Blue(FindPlate("q")), 200);
  EXPECT_EQ(storages_->reads, 1);
  EXPECT_FALSE(FindPlate("r"));
  EXPECT_EQ(downloader_->calls, 0);  // FindPlate never queues
}

TEST_F(PlateSource, MarkerInMemoryWinsOverANewFile) {
  for (PlateState marker : {PlateNotFound, PlateForbidden}) {
    CacheStore(marker, "t");
    PutPlate("t", Encode(SolidPicture(256, 256, 50, 0, 0), img::kFormatJpeg));
    EXPECT_TRUE(FindPlate("t") == marker);
    EXPECT_TRUE(GetPlate(0, 0, 1) == marker);  // "t" is column 0, row 0
    EXPECT_EQ(downloader_->calls, 0);
    CacheRemove("t");  // what reloading does
    EXPECT_TRUE(FindPlate("t").IsImage());
    CacheRemove("t");
  }
}

TEST_F(PlateSource, SwitchesSkipSources) {
  PutPlate("s", Encode(SolidPicture(256, 256, 77, 0, 0), img::kFormatPng));
  Switches().useCache = false;
  EXPECT_FALSE(FindPlate("s"));
  EXPECT_EQ(Blue(LoadPlateFile("s")), 77);  // a download decodes its file regardless
  EXPECT_EQ(Blue(FindPlate("s")), 77);      // and is found in memory

  Switches().useCache = true;
  Switches().memoryCacheInUse = false;  // before the settings are loaded
  CacheStore(Image(5), "s");
  EXPECT_EQ(Blue(FindPlate("s")), 77);
}

TEST_F(PlateSource, GetPlateQueuesWhatNothingHas) {
  // Asked twice before a worker takes it: queued once, PlateQueued both times.
  EXPECT_TRUE(GetPlate(1, 1, 1) == PlateQueued);
  EXPECT_TRUE(GetPlate(1, 1, 1) == PlateQueued);
  EXPECT_EQ(downloader_->queued, std::set<std::string>{"r"});
  EXPECT_EQ(PlateStateText(GetPlate(1, 1, 1)), std::string("Unknown state"));

  struct Case {
    const char* name;
    bool useInet, ready, accept;
  } cases[] = {{"internet off", false, true, true}, {"not ready", true, false, true}, {"refused", true, true, false}};
  for (const Case& c : cases) {
    Switches().useInet = c.useInet;
    downloader_->ready = c.ready;
    downloader_->accept = c.accept;
    downloader_->queued.clear();
    EXPECT_FALSE(GetPlate(0, 1, 1)) << c.name;
    EXPECT_TRUE(downloader_->queued.empty()) << c.name;
  }
  SetPlateDownloader(nullptr);
  Switches().useInet = true;
  EXPECT_FALSE(GetPlate(0, 1, 1));
  storages_->plates[PlateKeyText(3, 0, 2)] = 9;
  EXPECT_EQ(Blue(GetPlate(3, 0, 2)), 9);
}

TEST_F(PlateSource, AvailableAsksActiveStoragesThenTheFile) {
  storages_->plates["qq"] = 1;
  EXPECT_TRUE(PlateAvailable("qq"));
  storages_->active = false;
  EXPECT_FALSE(PlateAvailable("qq"));
  PutPlate("qq", {1, 2, 3});  // not even a picture: nothing is decoded
  EXPECT_TRUE(PlateAvailable("qq"));
  EXPECT_EQ(CacheCount(), 0);
  EXPECT_EQ(storages_->reads, 0);
}

TEST(PlateRefs, StatesAndTexts) {
  struct Case {
    PlateRef ref;
    bool image;
    const char* text;
  } cases[] = {{PlateRef(), false, "Unknown state"},
               {PlateNotFound, false, "Not found (404)"},
               {PlateForbidden, false, "Forbidden (403)"},
               {PlateQueued, false, "Unknown state"},
               {PlateRef::FromState(-11), false, "Unknown state"},
               {Image(0), true, "Data"}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsPlateImage(c.ref), c.image);
    EXPECT_STREQ(PlateStateText(c.ref), c.text);
  }
  EXPECT_FALSE(PlateRef());
  EXPECT_TRUE(PlateRef(PlateQueued));
  EXPECT_EQ(PlateRef::FromState(-12).state(), 0);
  EXPECT_EQ(PlateRef::FromState(5).state(), 0);
  EXPECT_EQ(PlateRef::FromState(-11).state(), -11);
  EXPECT_FALSE(PlateRef::Image(nullptr, 5).IsImage());
}

}  // namespace
}  // namespace tk

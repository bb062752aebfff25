#include "terrakon/plates/memory_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "tests/support/log_capture.h"

namespace tk {
namespace {

std::string Key(int i) {
  // Distinct plate keys: the digits of i in base 4 as letters.
  std::string key = "q";
  for (int n = i; n > 0; n /= 4) key += "qrst"[n % 4];
  return key;
}

PlateRef Plate(uint8_t fill) {
  auto block = std::make_shared_for_overwrite<uint8_t[]>(kPlateImageBytes);
  std::memset(block.get(), fill, kPlateImageBytes);
  return PlateRef::Image(std::move(block), kPlateImageBytes);
}

TEST(MemoryCache, StartsWithTheDocumentedLimits) {
  MemoryCache cache;
  EXPECT_EQ(cache.CountLimit(), 1000);
  EXPECT_EQ(cache.ByteLimit(), 52428800u);
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(cache.Bytes(), 0u);
}

// At a count limit of 100 the 110th new key finds 109 entries and only
// inserts; the 111th finds 110, evicts the 20 oldest and inserts (91). The
// byte limit (100 plates) is reached at the same store and needs nothing more.
TEST(MemoryCache, CountBandEvictsOldestFirst) {
  for (bool markers : {false, true}) {
    SCOPED_TRACE(markers ? "markers" : "images");
    MemoryCache cache;
    cache.SetLimit(100);
    EXPECT_EQ(cache.ByteLimit(), 19660800u);
    PlateRef plate = Plate(1);
    for (int i = 0; i < 110; ++i) cache.Store(markers ? PlateRef(PlateNotFound) : plate, Key(i));
    EXPECT_EQ(cache.Count(), 110);
    EXPECT_EQ(cache.Bytes(), markers ? 0u : 110u * kPlateImageBytes);
    cache.Store(markers ? PlateRef(PlateNotFound) : plate, Key(110));
    EXPECT_EQ(cache.Count(), 91);
    EXPECT_FALSE(cache.Lookup(Key(19)));
    EXPECT_TRUE(cache.Lookup(Key(20)));
    EXPECT_TRUE(cache.Lookup(Key(110)));
    EXPECT_EQ(cache.Bytes(), markers ? 0u : 91u * kPlateImageBytes);
  }
}

// Right after start-up the byte limit governs: 294 plates are held, the
// 295th store evicts down to 240 before it inserts.
TEST(MemoryCache, ByteBandAtTheStartLimits) {
  MemoryCache cache;
  testing::LogCapture log;
  cache.SetLimit(1000);  // the start value: nothing changes, nothing logged
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_EQ(cache.ByteLimit(), 52428800u);
  PlateRef plate = Plate(2);
  for (int i = 0; i < 294; ++i) cache.Store(plate, Key(i));
  EXPECT_EQ(cache.Count(), 294);
  EXPECT_EQ(cache.Bytes(), 57802752u);
  cache.Store(plate, Key(294));
  EXPECT_EQ(cache.Count(), 241);
  EXPECT_EQ(cache.Bytes(), 241u * kPlateImageBytes);
  EXPECT_FALSE(cache.Lookup(Key(53)));
  EXPECT_TRUE(cache.Lookup(Key(54)));
}

TEST(MemoryCache, LimitZeroKeepsOnlyTheNewest) {
  MemoryCache cache;
  cache.SetLimit(0);
  for (int i = 0; i < 5; ++i) {
    cache.Store(Plate(3), Key(i));
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_TRUE(cache.Lookup(Key(i)).IsImage());
  }
  cache.SetLimit(-7);  // counts as 0: unchanged
  EXPECT_EQ(cache.CountLimit(), 0);
}

TEST(MemoryCache, RestoringKeepsThePlaceAndTheBytesAddUp) {
  MemoryCache cache;
  cache.SetLimit(100);
  for (int i = 0; i < 110; ++i) cache.Store(PlateNotFound, Key(i));
  // The oldest entry becomes an image in place: no trim, still the oldest.
  PlateRef stored = cache.Store(Plate(9), Key(0));
  EXPECT_TRUE(stored.IsImage());
  EXPECT_EQ(cache.Count(), 110);
  EXPECT_EQ(cache.Bytes(), kPlateImageBytes);
  EXPECT_TRUE(cache.Lookup(Key(0)).SameImage(stored));
  cache.Store(PlateForbidden, Key(5));
  EXPECT_TRUE(cache.Lookup(Key(5)) == PlateForbidden);
  cache.Store(PlateNotFound, Key(110));
  EXPECT_FALSE(cache.Lookup(Key(0)));
  EXPECT_EQ(cache.Bytes(), 0u);
  EXPECT_EQ(cache.Count(), 91);
}

TEST(MemoryCache, StoreCopiesRemoveAndClearForgetButHeldPlatesLive) {
  MemoryCache cache;
  std::vector<uint8_t> bits(kPlateImageBytes, 7);
  PlateRef stored = cache.Store(bits.data(), kPlateImageBytes, "qrst");
  bits[0] = 8;
  EXPECT_EQ(stored.bits()[0], 7);
  EXPECT_NE(stored.bits(), bits.data());
  EXPECT_TRUE(cache.Lookup("qrst").SameImage(stored));
  EXPECT_FALSE(cache.Store(nullptr, 0, "none"));  // nothing to keep: an empty entry
  EXPECT_EQ(cache.Count(), 2);

  cache.Remove("qrst");
  cache.Remove("absent");
  EXPECT_FALSE(cache.Lookup("qrst"));
  EXPECT_EQ(cache.Bytes(), 0u);
  EXPECT_EQ(stored.bits()[kPlateImageBytes - 1], 7);  // still ours

  cache.Store(Plate(1), "a");
  cache.Store(PlateNotFound, "b");
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(cache.Bytes(), 0u);
  EXPECT_FALSE(cache.Lookup("a"));
}

TEST(MemoryCache, KeysAreCutToThirtyLetters) {
  MemoryCache cache;
  std::string longKey(35, 'q');
  cache.Store(PlateNotFound, longKey);
  EXPECT_TRUE(cache.Lookup(std::string(30, 'q')) == PlateNotFound);
  EXPECT_TRUE(cache.Lookup(longKey) == PlateNotFound);
  EXPECT_FALSE(cache.Lookup(std::string(29, 'q')));
}

TEST(MemoryCache, LimitChangeIsLoggedAndTrims) {
  MemoryCache cache;
  for (int i = 0; i < 50; ++i) cache.Store(PlateNotFound, Key(i));
  testing::LogCapture log;
  cache.SetLimit(10);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0], "Cache limits changed size: 52428800 to 1966080, count: 1000 to 10");
  EXPECT_EQ(cache.Count(), 9);
  cache.SetLimit(10);
  EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(MemoryCache, ProgramCacheOperations) {
  CacheClear();
  SetCacheLimit(100);
  EXPECT_EQ(CacheCountLimit(), 100);
  EXPECT_EQ(CacheByteLimit(), 19660800u);
  CacheStore(Plate(4), "qq");
  CacheStore(PlateForbidden, "qr");
  EXPECT_TRUE(CacheLookup("qq").IsImage());
  EXPECT_EQ(CacheCount(), 2);
  EXPECT_EQ(CacheBytes(), kPlateImageBytes);
  CacheRemove("qq");
  EXPECT_EQ(CacheCount(), 1);
  CacheClear();
  EXPECT_EQ(CacheCount(), 0);
  EXPECT_EQ(CacheBytes(), 0u);
}

// A painter holds a plate while a worker evicts, replaces, removes or
// clears it: the painter's reference keeps its pixels (the sanitizer build
// would report a freed block, a plain build a changed one).
TEST(MemoryCache, HeldPlateSurvivesEvictionByAnotherThread) {
  MemoryCache cache;
  cache.SetLimit(4);
  std::atomic<int> step{0};
  std::atomic<int> damaged{0};  // odd: the painter holds the plate; even: the worker has evicted it
  constexpr int kRounds = 40;
  std::thread painter([&] {
    for (int round = 0; round < kRounds; ++round) {
      while (step.load() != 4 * round + 1) std::this_thread::yield();
      PlateRef ref = cache.Lookup("hot");
      step = 4 * round + 2;
      while (step.load() != 4 * round + 3) std::this_thread::yield();
      // No assertion may leave this loop early: the worker waits for each step.
      bool intact = ref.IsImage();
      for (uint32_t i = 0; intact && i < kPlateImageBytes; ++i) intact = ref.bits()[i] == uint8_t(round);
      if (!intact) ++damaged;
      step = 4 * round + 4;
    }
  });
  for (int round = 0; round < kRounds; ++round) {
    cache.Store(Plate(uint8_t(round)), "hot");
    step = 4 * round + 1;
    while (step.load() != 4 * round + 2) std::this_thread::yield();
    switch (round % 4) {
      case 0:
        for (int i = 0; i < 6; ++i) cache.Store(PlateNotFound, Key(round * 8 + i));  // trimmed out
        break;
      case 1: cache.Store(Plate(0xEE), "hot"); break;  // replaced in place
      case 2: cache.Remove("hot"); break;
      case 3: cache.Clear(); break;
    }
    cache.Store(Plate(0xDD), "other");  // likely reuses the freed block if it was freed
    step = 4 * round + 3;
    while (step.load() != 4 * round + 4) std::this_thread::yield();
  }
  painter.join();
  EXPECT_EQ(damaged.load(), 0);

  // And free-running: lookups racing stores, removals and clears.
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      PlateRef ref = cache.Lookup("hot");
      if (ref.IsImage() && ref.bits()[kPlateImageBytes - 1] != ref.bits()[0]) ++damaged;
    }
  });
  for (int round = 0; round < 300; ++round) {
    cache.Store(Plate(uint8_t(round)), "hot");
    cache.Store(PlateNotFound, Key(round));
    if (round % 7 == 0) cache.Clear();
  }
  done = true;
  reader.join();
  EXPECT_EQ(damaged.load(), 0);
}

}  // namespace
}  // namespace tk

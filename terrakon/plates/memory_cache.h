// The memory plate cache: decoded plates and the markers of plates the tile
// service refused, by plate key. Entries leave in the order they were first
// stored once the count or byte limit is exceeded by a tenth; a trim then
// goes down to a tenth below the limit, before the store that found it.
//
// The cache has its own lock: every operation may be called from any thread
// (the painter, the download workers) without holding another lock. It
// never calls out while holding it, so a caller may hold its own lock (the
// downloader's) around a call. Image references share their block (see
// plate_ref.h), so eviction never frees pixels a caller still draws.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "terrakon/plates/plate_ref.h"

namespace tk {

class MemoryCache {
 public:
  static constexpr int32_t kStartCountLimit = 1000;
  static constexpr uint64_t kStartByteLimit = 52428800;

  MemoryCache() = default;
  MemoryCache(const MemoryCache&) = delete;
  MemoryCache& operator=(const MemoryCache&) = delete;

  // The entry's reference, none when the key is absent. Does not change the
  // order of eviction.
  PlateRef Lookup(std::string_view key) const;
  // Stores a copy of bytes bytes of bits (bytes 0: stores none).
  PlateRef Store(const void* bits, uint32_t bytes, std::string_view key);
  // Stores a marker, or an image together with its block (no copy).
  // A key already present keeps its place in the eviction order; a new key
  // trims first. Keys longer than 30 letters are cut to 30.
  PlateRef Store(PlateRef ref, std::string_view key);
  void Remove(std::string_view key);
  void Clear();
  // Count limit n (negative counts as 0), byte limit n x 196608; trims. The
  // same n as now changes nothing. Logs the change.
  void SetLimit(int32_t count);

  uint64_t Bytes() const { return bytes_.load(std::memory_order_relaxed); }
  int64_t Count() const { return count_.load(std::memory_order_relaxed); }
  uint64_t ByteLimit() const { return byteLimit_.load(std::memory_order_relaxed); }
  int64_t CountLimit() const { return countLimit_.load(std::memory_order_relaxed); }

 private:
  struct Entry {
    std::string key;
    PlateRef ref;
  };
  using Order = std::list<Entry>;

  void EvictOldest(Order& released);
  void Trim(Order& released);

  mutable std::mutex mutex_;
  Order order_;  // oldest first
  std::unordered_map<std::string_view, Order::iterator> index_;  // views into order_'s keys
  std::atomic<uint64_t> bytes_{0};
  std::atomic<int64_t> count_{0};
  std::atomic<int32_t> countLimit_{kStartCountLimit};
  std::atomic<uint64_t> byteLimit_{kStartByteLimit};
};

// The program's cache, and its operations under their usual names.
MemoryCache& PlateCache();
PlateRef CacheLookup(std::string_view key);
PlateRef CacheStore(const void* bits, uint32_t bytes, std::string_view key);
PlateRef CacheStore(PlateRef ref, std::string_view key);
void CacheRemove(std::string_view key);
void CacheClear();
void SetCacheLimit(int32_t count);
uint64_t CacheBytes();
int64_t CacheCount();
uint64_t CacheByteLimit();
int64_t CacheCountLimit();

}  // namespace tk

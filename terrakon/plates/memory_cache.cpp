#include "terrakon/plates/memory_cache.h"

#include <cinttypes>
#include <cstring>

#include "common/log.h"
#include "terrakon/plates/plate_key.h"

namespace tk {
namespace {

constexpr std::size_t kMaxKey = kPlateKeyBytes - 1;

std::string_view CutKey(std::string_view key) { return key.substr(0, kMaxKey); }

}  // namespace

PlateRef MemoryCache::Lookup(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = index_.find(CutKey(key));
  return it == index_.end() ? PlateRef() : it->second->ref;
}

PlateRef MemoryCache::Store(const void* bits, uint32_t bytes, std::string_view key) {
  if (!bits || bytes == 0) return Store(PlateRef(), key);
  auto block = std::make_shared_for_overwrite<uint8_t[]>(bytes);
  std::memcpy(block.get(), bits, bytes);
  return Store(PlateRef::Image(std::move(block), bytes), key);
}

PlateRef MemoryCache::Store(PlateRef ref, std::string_view key) {
  key = CutKey(key);
  // The node is made before locking, so that its allocation does not hold
  // up lookups; evicted and replaced references die after the lock is let go.
  Order fresh;
  fresh.push_back(Entry{std::string(key), std::move(ref)});
  Order released;
  std::lock_guard lock(mutex_);
  auto it = index_.find(key);
  if (it != index_.end()) {
    Entry& entry = *it->second;
    bytes_ -= entry.ref.bytes();
    bytes_ += fresh.front().ref.bytes();
    std::swap(entry.ref, fresh.front().ref);
    return entry.ref;
  }
  Trim(released);
  order_.splice(order_.end(), fresh);
  auto last = std::prev(order_.end());
  index_.emplace(std::string_view(last->key), last);
  bytes_ += last->ref.bytes();
  ++count_;
  return last->ref;
}

void MemoryCache::Remove(std::string_view key) {
  Order released;
  std::lock_guard lock(mutex_);
  auto it = index_.find(CutKey(key));
  if (it == index_.end()) return;
  auto entry = it->second;
  index_.erase(it);
  bytes_ -= entry->ref.bytes();
  --count_;
  released.splice(released.end(), order_, entry);
}

void MemoryCache::Clear() {
  Order released;
  std::lock_guard lock(mutex_);
  index_.clear();
  released.swap(order_);
  bytes_ = 0;
  count_ = 0;
}

void MemoryCache::SetLimit(int32_t count) {
  if (count < 0) count = 0;
  Order released;
  uint64_t oldBytes, newBytes;
  int32_t oldCount;
  {
    std::lock_guard lock(mutex_);
    oldCount = countLimit_;
    if (count == oldCount) return;
    oldBytes = byteLimit_;
    newBytes = uint64_t(count) * kPlateImageBytes;
    countLimit_ = count;
    byteLimit_ = newBytes;
    Trim(released);
  }
  Log("Cache limits changed size: %" PRIu64 " to %" PRIu64 ", count: %d to %d", oldBytes, newBytes, oldCount,
      count);
}

void MemoryCache::EvictOldest(Order& released) {
  auto oldest = order_.begin();
  index_.erase(std::string_view(oldest->key));
  bytes_ -= oldest->ref.bytes();
  --count_;
  released.splice(released.end(), order_, oldest);
}

void MemoryCache::Trim(Order& released) {
  int64_t c = countLimit_, c10 = c * 10 / 100;
  if (count_ >= c + c10) {
    while (count_ > c - c10) EvictOldest(released);
  }
  uint64_t b = byteLimit_, b10 = b * 10 / 100;
  if (bytes_ >= b + b10) {
    while (!order_.empty() && bytes_ > b - b10) EvictOldest(released);
  }
}

MemoryCache& PlateCache() {
  static MemoryCache cache;
  return cache;
}

PlateRef CacheLookup(std::string_view key) { return PlateCache().Lookup(key); }
PlateRef CacheStore(const void* bits, uint32_t bytes, std::string_view key) {
  return PlateCache().Store(bits, bytes, key);
}
PlateRef CacheStore(PlateRef ref, std::string_view key) { return PlateCache().Store(std::move(ref), key); }
void CacheRemove(std::string_view key) { PlateCache().Remove(key); }
void CacheClear() { PlateCache().Clear(); }
void SetCacheLimit(int32_t count) { PlateCache().SetLimit(count); }
uint64_t CacheBytes() { return PlateCache().Bytes(); }
int64_t CacheCount() { return PlateCache().Count(); }
uint64_t CacheByteLimit() { return PlateCache().ByteLimit(); }
int64_t CacheCountLimit() { return PlateCache().CountLimit(); }

}  // namespace tk

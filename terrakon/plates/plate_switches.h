// The switches the plate sources read. The settings loader sets them (the
// "UseCache", "DelUnknownImages", "UseInet" and "UseBigImage" settings);
// workers read them, hence atomics.
#pragma once

#include <atomic>

namespace tk {

struct PlateSwitches {
  // Set once the settings are first loaded; until then the chain skips
  // the memory cache.
  std::atomic<bool> memoryCacheInUse{false};
  std::atomic<bool> useCache{true};          // read plate files
  std::atomic<bool> delUnknownImages{true};  // delete plate files that cannot be decoded
  std::atomic<bool> useInet{true};           // queue downloads
  std::atomic<bool> useBigImage{false};      // painting draws from ancestors
};

PlateSwitches& Switches();

}  // namespace tk

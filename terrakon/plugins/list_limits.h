// Bounds for list counts read from the settings file.
#pragma once

namespace tk {

// A broken or hostile count must not make start-up create millions of entries.
inline constexpr int kMaxListEntries = 1000;

inline int ListEntryCount(int stored) {
  if (stored < 0) return 0;
  return stored > kMaxListEntries ? kMaxListEntries : stored;
}

}  // namespace tk

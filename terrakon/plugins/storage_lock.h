// The one lock of the plugin and storage lists: held around every walk of
// the lists and every call into a storage plugin, so that download workers
// (Check), the painter (Get), a scanner (Enumerate) and the user (activate,
// reorder, delete, free a plugin) never meet inside a plugin or a list.
// Recursive, because deactivation runs inside plugin and action teardown.
#pragma once

#include <mutex>

namespace tk {

std::recursive_mutex& StorageLock();
using StorageLockGuard = std::lock_guard<std::recursive_mutex>;

}  // namespace tk

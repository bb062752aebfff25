#include "terrakon/plugins/storage_lock.h"

namespace tk {

std::recursive_mutex& StorageLock() {
  // Never destroyed: the static lists lock it while they are destroyed at exit.
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

}  // namespace tk

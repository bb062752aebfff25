// The checks every storage makes before a write: a plate key, a known
// operation, and data unless the plate is deleted.
#pragma once

#include <cstdint>
#include <string>

#include "common/plugin_abi.h"
#include "storages/kit/plugin_error.h"
#include "storages/kit/tile_key.h"

namespace storagekit {

inline bool CheckWriteArgs(const char* key, const void* data, std::uint32_t size,
                           std::uint32_t operation, TileNumber* tile) {
  if (!ParseKey(key, tile)) {
    SetError("Invalid plate key");
    return false;
  }
  if (operation > StorageWriteDelete) {
    SetError("Unknown write operation " + std::to_string(operation));
    return false;
  }
  if (operation != StorageWriteDelete && (!data || size == 0)) {
    SetError("No plate data");
    return false;
  }
  return true;
}

}  // namespace storagekit

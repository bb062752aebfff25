// Plates from the connected storages, the last source of the plate chain:
// the active items in list order, each plate's block checked and decoded
// into the memory cache, and a storage that keeps failing switched off.
#pragma once

#include <cstdint>
#include <string_view>

#include "terrakon/plates/plate_ref.h"

namespace tk {

struct StorageItem;

// The first active storage that yields the plate; none when no storage does.
PlateRef ReadPlateFromStorages(std::string_view key);
// Whether an active storage reports the plate as present; nothing is read.
bool StoragesHavePlate(std::string_view key);

// One item: not found is silent; a plugin error or a bad block counts
// against the item, which is deactivated once its count exceeds
// MaxStorageErrors; an undecodable block is only logged.
PlateRef ReadStoragePlate(std::string_view key, StorageItem* item);
// Decodes a plate file's bytes in place and stores the plate in the memory
// cache; logs and gives none when they are no picture.
PlateRef DecodeStoragePlate(std::string_view key, const void* data, std::uint32_t size);

// The "MaxStorageErrors" setting, default 3.
void SetMaxStorageErrors(int count);
int MaxStorageErrors();

// Connects the storages to the plate source chain (FindPlate, PlateAvailable).
void InstallStorageReader();

}  // namespace tk

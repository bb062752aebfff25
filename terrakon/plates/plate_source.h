// The plate source chain: whoever needs a plate asks here. Sources are tried
// in order: memory cache, disk cache, storages; GetPlate then queues a
// download for the map view when none has it.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "terrakon/plates/plate_ref.h"

namespace tk {

// The active storages, in list order (filled by the storage registry).
// Called from the user-interface thread and, for HavePlate, from workers.
class PlateStorages {
 public:
  virtual ~PlateStorages() = default;
  // The first storage that yields the plate decodes it into the memory
  // cache (StorePlateImage) and returns the reference; none otherwise.
  virtual PlateRef ReadPlate(std::string_view key) = 0;
  // An active storage reports the plate as present; nothing is decoded.
  virtual bool HavePlate(std::string_view key) = 0;
};

// The downloader (filled by the download queue).
class PlateDownloader {
 public:
  virtual ~PlateDownloader() = default;
  // Started and able to reach the network.
  virtual bool Ready() = 0;
  // Prepares and queues the request; a key already queued counts as done.
  virtual bool Queue(int64_t column, int64_t row, int zoom, std::string_view key) = 0;
};

// Null removes the seam. Safe while other threads use the chain.
void SetPlateStorages(std::shared_ptr<PlateStorages> storages);
void SetPlateDownloader(std::shared_ptr<PlateDownloader> downloader);

// Memory cache (once in use), plate file (with "UseCache"), storages; never
// queues. A marker in the memory cache is returned as it is, so a refused
// plate is neither read nor asked for again.
PlateRef FindPlate(std::string_view key);
// FindPlate for the plate's key; when nothing has it, the downloader is
// ready and "UseInet" is on, queues it and answers PlateQueued.
PlateRef GetPlate(int64_t column, int64_t row, int zoom);
// An active storage holds the plate, or its plate file exists (a regular
// file; nothing is decoded).
bool PlateAvailable(std::string_view key);

}  // namespace tk

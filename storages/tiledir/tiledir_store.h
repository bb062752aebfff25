// A tile folder: the plate of zoom z, column x (from the west) and row y
// (from the north, as web map tools number them) is the file {z}/{x}/{y}.jpg
// below the storage directory. The directory is created by the first write
// (its parent must exist).
//
// Safe from several threads; Get keeps one block per calling thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/plugin_abi.h"
#include "storages/kit/plugin_error.h"
#include "storages/kit/tile_key.h"

namespace tiledir {

using storagekit::kMaxZoom;
using storagekit::LastError;
using storagekit::MakeKey;
using storagekit::ParseKey;
using storagekit::SetError;
using storagekit::TileNumber;
using storagekit::ValidTile;

// The file of a tile below root, relative ("12/2200/1343.jpg").
std::string TileFile(const TileNumber& tile);

class Store {
 public:
  static constexpr const char* kDefaultName = "tiles";
  static constexpr const char* kDefaultExt = "";

  bool Open(const char* path);  // null: close
  void Close();

  std::uint16_t Check(const char* key);
  std::uint16_t Get(const char* key, const void** data, std::uint32_t* size);
  std::uint16_t Write(const char* key, const void* data, std::uint32_t size,
                      std::uint32_t operation);
  std::uint16_t Enumerate(const char* prefix, EnumerateCallback callback, std::uint32_t mode,
                          void* user);

 private:
  bool Root(std::string* root);  // false when closed

  std::mutex mutex_;
  bool open_ = false;
  std::string root_;
  std::map<std::thread::id, std::vector<unsigned char>> blocks_;
};

}  // namespace tiledir

// One MBTiles 1.3 file: a "metadata" table of name/value pairs and a "tiles"
// table of (zoom_level, tile_column, tile_row, tile_data) with rows counted
// from the south, over SQLite. A file that does not exist yet is created by
// the first write, so that opening a mistyped name leaves nothing behind.
//
// Every operation is safe from several threads (one lock per store); Get
// keeps one block per calling thread.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/plugin_abi.h"
#include "storages/kit/plugin_error.h"
#include "storages/kit/tile_key.h"

namespace mbtiles {

using storagekit::kMaxZoom;
using storagekit::LastError;
using storagekit::MakeKey;
using storagekit::ParseKey;
using storagekit::SetError;
using storagekit::TileNumber;
using storagekit::ValidTile;

class Store {
 public:
  static constexpr const char* kDefaultName = "tiles.mbtiles";
  static constexpr const char* kDefaultExt = "mbtiles";

  Store() = default;
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  bool Open(const char* path);  // null: close
  void Close();

  std::uint16_t Check(const char* key);
  std::uint16_t Get(const char* key, const void** data, std::uint32_t* size);
  std::uint16_t Write(const char* key, const void* data, std::uint32_t size,
                      std::uint32_t operation);
  std::uint16_t Enumerate(const char* prefix, EnumerateCallback callback, std::uint32_t mode,
                          void* user);

 private:
  struct Extent {
    std::int64_t minColumn, maxColumn, minRow, maxRow;
  };

  bool OpenExisting();
  bool Create(const void* firstData, std::uint32_t size);
  bool Prepare();
  void FinishStatements();
  bool Exec(const char* sql);
  bool Fail(const char* what);  // the database's text, false
  bool BeginWrites();
  bool Commit();
  bool LoadExtents();
  bool WriteMetadata();
  bool SetMetadata(const char* name, const std::string& value, bool keepExisting);
  int FindTile(const TileNumber& tile);  // 1 present, 0 absent, -1 error
  void CloseLocked();

  std::mutex mutex_;
  std::string path_;
  bool open_ = false;
  sqlite3* db_ = nullptr;  // null while the file does not exist
  bool readOnly_ = false;
  sqlite3_stmt* find_ = nullptr;
  sqlite3_stmt* get_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* update_ = nullptr;
  sqlite3_stmt* erase_ = nullptr;

  // Writes are batched into transactions (1,000 plates or one second):
  // much faster than one per plate.
  bool inTransaction_ = false;
  bool cacheRaised_ = false;
  int pendingWrites_ = 0;
  std::chrono::steady_clock::time_point transactionStart_;
  bool extentsLoaded_ = false;
  bool extentsChanged_ = false;
  bool deleted_ = false;  // extents may have shrunk: recount when closing
  std::map<int, Extent> extents_;

  std::map<std::thread::id, std::vector<unsigned char>> blocks_;
};

}  // namespace mbtiles

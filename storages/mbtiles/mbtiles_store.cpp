#include "storages/mbtiles/mbtiles_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "storages/kit/write_args.h"

namespace mbtiles {
namespace {

constexpr int kBatchWrites = 1000;  // plates per transaction
constexpr std::chrono::seconds kBatchTime{1};
constexpr int kPageRows = 256;               // rows per enumeration step
constexpr std::size_t kPageBytes = 16 << 20;  // data per enumeration step
constexpr int kBusyTimeoutMs = 5000;          // another process writing
constexpr int kApplicationId = 0x4d504258;    // "MPBX", marks MBTiles files

const char* kSchema =
    "CREATE TABLE metadata (name text, value text);"
    "CREATE UNIQUE INDEX name ON metadata (name);"
    "CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer,"
    " tile_data blob);"
    "CREATE UNIQUE INDEX tile_index ON tiles (zoom_level, tile_column, tile_row);";

const char* kTileWhere = " WHERE zoom_level = ?1 AND tile_column = ?2 AND tile_row = ?3";

bool Exists(const std::string& path, struct stat* st) { return ::stat(path.c_str(), st) == 0; }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

const char* FormatOf(const void* data, std::uint32_t size) {
  const auto* b = static_cast<const unsigned char*>(data);
  if (size >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return "png";
  if (size >= 12 && std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WEBP", 4) == 0)
    return "webp";
  return "jpg";
}

// Latitude [degrees] of the edge between Mercator rows, counted from the south.
double RowEdgeLatitude(std::int64_t row, int zoom) {
  const double n = std::ldexp(1.0, zoom);
  const double y = M_PI * (2.0 * static_cast<double>(row) / n - 1.0);
  return std::atan(std::sinh(y)) * 180.0 / M_PI;
}

double ColumnEdgeLongitude(std::int64_t column, int zoom) {
  return static_cast<double>(column) / std::ldexp(1.0, zoom) * 360.0 - 180.0;
}

void BindTile(sqlite3_stmt* statement, const TileNumber& tile) {
  sqlite3_bind_int(statement, 1, tile.zoom);
  sqlite3_bind_int64(statement, 2, tile.column);
  sqlite3_bind_int64(statement, 3, tile.row);
}

}  // namespace


Store::~Store() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

bool Store::Fail(const char* what) {
  std::string text = what;
  if (db_) {
    text += ": ";
    text += sqlite3_errmsg(db_);
  }
  SetError(text);
  return false;
}

bool Store::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  SetError(message ? message : sqlite3_errmsg(db_));
  sqlite3_free(message);
  return false;
}

bool Store::Open(const char* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  if (!path) return true;
  if (!*path) {
    SetError("Storage file name is empty");
    return false;
  }
  path_ = path;
  struct stat st;
  if (Exists(path_, &st)) {
    if (!S_ISREG(st.st_mode)) {
      SetError("Storage is not a file: " + path_);
      return false;
    }
    if (!OpenExisting()) {
      CloseLocked();
      return false;
    }
  } else {
    const std::string folder = FolderOf(path_);
    if (!Exists(folder, &st) || !S_ISDIR(st.st_mode)) {
      SetError("Storage folder does not exist: " + folder);
      return false;
    }
  }
  open_ = true;
  return true;
}

bool Store::OpenExisting() {
  int rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                         nullptr);
    readOnly_ = true;
  }
  if (rc != SQLITE_OK) return Fail("Cannot open storage");
  if (!readOnly_ && sqlite3_db_readonly(db_, "main") == 1) readOnly_ = true;
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);

  // Also the first read of the file: a file of another kind fails here.
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT (SELECT count(*) FROM sqlite_master),"
                         " (SELECT count(*) FROM sqlite_master WHERE name = 'tiles'"
                         " AND type IN ('table', 'view'))", -1, &statement, nullptr) != SQLITE_OK)
    return Fail("Cannot read storage");
  rc = sqlite3_step(statement);
  const int objects = sqlite3_column_int(statement, 0);
  const int tiles = sqlite3_column_int(statement, 1);
  sqlite3_finalize(statement);
  if (rc != SQLITE_ROW) return Fail("Cannot read storage");
  if (tiles == 0) {
    if (objects != 0) {
      SetError("Not an MBTiles file: " + path_);
      return false;
    }
    // An empty database: the first write lays out the tables.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return true;
  }
  return Prepare();
}

bool Store::Create(const void* firstData, std::uint32_t size) {
  if (readOnly_) {
    SetError("Storage file is read-only");
    return false;
  }
  struct stat st;
  const bool existed = Exists(path_, &st);
  if (sqlite3_open_v2(path_.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    Fail("Cannot create storage");
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  char pragma[64];
  std::snprintf(pragma, sizeof pragma, "PRAGMA application_id = %d;", kApplicationId);
  bool ok = Exec("BEGIN") && Exec(pragma) && Exec(kSchema) && Prepare() &&
            SetMetadata("name", BaseName(path_), false) &&
            SetMetadata("format", FormatOf(firstData, size), false) &&
            SetMetadata("type", "baselayer", false) && SetMetadata("version", "1.3", false) &&
            SetMetadata("description", "Plates stored by plate key", false) && Exec("COMMIT");
  if (!ok) {
    std::string error = LastError();
    FinishStatements();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    // Nothing half-made stays behind.
    if (!existed) ::unlink(path_.c_str());
    SetError("Cannot create storage: " + error);
    return false;
  }
  extentsLoaded_ = true;  // a new file has no tiles
  return true;
}

bool Store::Prepare() {
  const std::string find = std::string("SELECT 1 FROM tiles") + kTileWhere + " LIMIT 1";
  const std::string get = std::string("SELECT tile_data FROM tiles") + kTileWhere + " LIMIT 1";
  if (sqlite3_prepare_v2(db_, find.c_str(), -1, &find_, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db_, get.c_str(), -1, &get_, nullptr) != SQLITE_OK)
    return Fail("Cannot read storage");
  return true;
}

void Store::FinishStatements() {
  for (sqlite3_stmt** s : {&find_, &get_, &insert_, &update_, &erase_}) {
    sqlite3_finalize(*s);
    *s = nullptr;
  }
}

void Store::CloseLocked() {
  if (db_) {
    if (inTransaction_) Commit();
    if (deleted_ && !readOnly_) {
      // Deleting may have shrunk the covered area: count it again.
      extents_.clear();
      extentsLoaded_ = false;
      if (LoadExtents() && Exec("BEGIN")) {
        extentsChanged_ = true;
        if (WriteMetadata())
          Exec("COMMIT");
        else
          Exec("ROLLBACK");
      }
    }
    FinishStatements();
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  open_ = false;
  readOnly_ = false;
  path_.clear();
  inTransaction_ = false;
  pendingWrites_ = 0;
  extentsLoaded_ = extentsChanged_ = deleted_ = cacheRaised_ = false;
  extents_.clear();
  blocks_.clear();
}

void Store::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

int Store::FindTile(const TileNumber& tile) {
  sqlite3_reset(find_);
  BindTile(find_, tile);
  const int rc = sqlite3_step(find_);
  sqlite3_reset(find_);
  if (rc == SQLITE_ROW) return 1;
  if (rc == SQLITE_DONE) return 0;
  Fail("Cannot read storage");
  return -1;
}

std::uint16_t Store::Check(const char* key) {
  TileNumber tile;
  if (!ParseKey(key, &tile)) {
    SetError("Invalid plate key");
    return StorageError;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) {
    SetError("Storage is not open");
    return StorageError;
  }
  if (!db_) return StorageNotFound;
  const int found = FindTile(tile);
  return found < 0 ? StorageError : found ? StorageOk : StorageNotFound;
}

std::uint16_t Store::Get(const char* key, const void** data, std::uint32_t* size) {
  TileNumber tile;
  if (!data || !size) {
    SetError("Invalid argument");
    return StorageError;
  }
  if (!ParseKey(key, &tile)) {
    SetError("Invalid plate key");
    return StorageError;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) {
    SetError("Storage is not open");
    return StorageError;
  }
  if (!db_) return StorageNotFound;
  sqlite3_reset(get_);
  BindTile(get_, tile);
  const int rc = sqlite3_step(get_);
  if (rc != SQLITE_ROW) {
    sqlite3_reset(get_);
    if (rc == SQLITE_DONE) return StorageNotFound;
    Fail("Cannot read storage");
    return StorageError;
  }
  const void* blob = sqlite3_column_blob(get_, 0);
  const int bytes = sqlite3_column_bytes(get_, 0);
  // An empty tile holds no picture: the plate is as good as missing.
  if (!blob || bytes <= 0) {
    sqlite3_reset(get_);
    return StorageNotFound;
  }
  std::vector<unsigned char>& block = blocks_[std::this_thread::get_id()];
  const auto* first = static_cast<const unsigned char*>(blob);
  block.assign(first, first + bytes);
  sqlite3_reset(get_);
  *data = block.data();
  *size = static_cast<std::uint32_t>(block.size());
  return StorageOk;
}

bool Store::LoadExtents() {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_,
                         "SELECT zoom_level, min(tile_column), max(tile_column), min(tile_row),"
                         " max(tile_row) FROM tiles WHERE zoom_level BETWEEN 0 AND 30"
                         " GROUP BY zoom_level",
                         -1, &statement, nullptr) != SQLITE_OK)
    return Fail("Cannot read storage");
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    extents_[sqlite3_column_int(statement, 0)] = {
        sqlite3_column_int64(statement, 1), sqlite3_column_int64(statement, 2),
        sqlite3_column_int64(statement, 3), sqlite3_column_int64(statement, 4)};
  }
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) return Fail("Cannot read storage");
  extentsLoaded_ = true;
  return true;
}

bool Store::SetMetadata(const char* name, const std::string& value, bool keepExisting) {
  sqlite3_stmt* statement = nullptr;
  // Delete and insert: files made elsewhere may lack the unique index on name.
  if (!keepExisting) {
    if (sqlite3_prepare_v2(db_, "DELETE FROM metadata WHERE name = ?1", -1, &statement,
                           nullptr) != SQLITE_OK)
      return Fail("Cannot write metadata");
    sqlite3_bind_text(statement, 1, name, -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) return Fail("Cannot write metadata");
  }
  const char* sql = keepExisting
                        ? "INSERT INTO metadata (name, value) SELECT ?1, ?2"
                          " WHERE NOT EXISTS (SELECT 1 FROM metadata WHERE name = ?1)"
                        : "INSERT INTO metadata (name, value) VALUES (?1, ?2)";
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK)
    return Fail("Cannot write metadata");
  sqlite3_bind_text(statement, 1, name, -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, value.c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) return Fail("Cannot write metadata");
  return true;
}

bool Store::WriteMetadata() {
  if (!extentsChanged_) return true;
  if (extents_.empty()) {
    if (!Exec("DELETE FROM metadata WHERE name IN ('minzoom', 'maxzoom', 'bounds', 'center')"))
      return false;
    extentsChanged_ = false;
    return true;
  }
  double west = 180, east = -180, south = 90, north = -90;
  for (const auto& [zoom, e] : extents_) {
    west = std::fmin(west, ColumnEdgeLongitude(e.minColumn, zoom));
    east = std::fmax(east, ColumnEdgeLongitude(e.maxColumn + 1, zoom));
    south = std::fmin(south, RowEdgeLatitude(e.minRow, zoom));
    north = std::fmax(north, RowEdgeLatitude(e.maxRow + 1, zoom));
  }
  const int minZoom = extents_.begin()->first;
  const int maxZoom = extents_.rbegin()->first;
  char bounds[128], center[128];
  std::snprintf(bounds, sizeof bounds, "%.8f,%.8f,%.8f,%.8f", west, south, east, north);
  std::snprintf(center, sizeof center, "%.8f,%.8f,%d", (west + east) / 2, (south + north) / 2,
                minZoom);
  if (!SetMetadata("minzoom", std::to_string(minZoom), false) ||
      !SetMetadata("maxzoom", std::to_string(maxZoom), false) ||
      !SetMetadata("bounds", bounds, false) || !SetMetadata("center", center, false))
    return false;
  extentsChanged_ = false;
  return true;
}

bool Store::BeginWrites() {
  if (!insert_) {
    const std::string insert =
        "INSERT INTO tiles (zoom_level, tile_column, tile_row, tile_data) VALUES (?1, ?2, ?3, ?4)";
    const std::string update = std::string("UPDATE tiles SET tile_data = ?4") + kTileWhere;
    const std::string erase = std::string("DELETE FROM tiles") + kTileWhere;
    if (sqlite3_prepare_v2(db_, insert.c_str(), -1, &insert_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, update.c_str(), -1, &update_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, erase.c_str(), -1, &erase_, nullptr) != SQLITE_OK)
      return Fail("Cannot write storage");
  }
  if (!extentsLoaded_ && !LoadExtents()) return false;
  if (inTransaction_) return true;
  if (pendingWrites_ == 0 && !cacheRaised_) {
    // A batch that fits the page cache is written only at its commit, so
    // readers of the file (another process, the viewer) wait only then.
    Exec("PRAGMA cache_size = -32768");
    cacheRaised_ = true;
  }
  if (!Exec("BEGIN IMMEDIATE")) return false;
  inTransaction_ = true;
  pendingWrites_ = 0;
  transactionStart_ = std::chrono::steady_clock::now();
  return true;
}

bool Store::Commit() {
  if (!inTransaction_) return true;
  if (!WriteMetadata() || !Exec("COMMIT")) {
    const std::string error = LastError();
    Exec("ROLLBACK");
    inTransaction_ = false;
    SetError(error + " (" + std::to_string(pendingWrites_) + " recent writes are lost)");
    pendingWrites_ = 0;
    return false;
  }
  inTransaction_ = false;
  pendingWrites_ = 0;
  return true;
}

std::uint16_t Store::Write(const char* key, const void* data, std::uint32_t size,
                           std::uint32_t operation) {
  TileNumber tile;
  if (!storagekit::CheckWriteArgs(key, data, size, operation, &tile)) return StorageError;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) {
    SetError("Storage is not open");
    return StorageError;
  }
  if (readOnly_) {
    SetError("Storage file is read-only");
    return StorageError;
  }
  if (!db_) {
    if (operation == StorageWriteDelete) return StorageNotFound;
    if (!Create(data, size)) return StorageError;
  }
  if (!BeginWrites()) return StorageError;

  auto step = [](sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE;
  };
  auto failed = [this]() -> std::uint16_t {
    Fail("Cannot write storage");
    // A failure SQLite could not contain rolls back the whole batch.
    if (inTransaction_ && sqlite3_get_autocommit(db_)) {
      inTransaction_ = false;
      SetError(LastError() + " (" + std::to_string(pendingWrites_) +
               " recent writes are lost)");
      pendingWrites_ = 0;
    }
    return StorageError;
  };

  bool inserted = false;
  if (operation == StorageWriteDelete) {
    BindTile(erase_, tile);
    if (!step(erase_)) return failed();
    if (sqlite3_changes(db_) == 0) return StorageNotFound;
    deleted_ = true;
  } else {
    bool stored = false;
    if (operation == StorageWriteKeep) {
      const int found = FindTile(tile);
      if (found < 0) return failed();
      if (found) return StorageNotFound;
    } else {
      BindTile(update_, tile);
      sqlite3_bind_blob(update_, 4, data, static_cast<int>(size), SQLITE_STATIC);
      const bool ok = step(update_);
      sqlite3_clear_bindings(update_);
      if (!ok) return failed();
      stored = sqlite3_changes(db_) > 0;
    }
    if (!stored) {
      BindTile(insert_, tile);
      sqlite3_bind_blob(insert_, 4, data, static_cast<int>(size), SQLITE_STATIC);
      const bool ok = step(insert_);
      sqlite3_clear_bindings(insert_);
      if (!ok) return failed();
      inserted = true;
    }
  }
  if (inserted) {
    auto [it, isNew] = extents_.try_emplace(tile.zoom,
                                            Extent{tile.column, tile.column, tile.row, tile.row});
    Extent& e = it->second;
    if (isNew || tile.column < e.minColumn || tile.column > e.maxColumn || tile.row < e.minRow ||
        tile.row > e.maxRow) {
      e.minColumn = std::min(e.minColumn, tile.column);
      e.maxColumn = std::max(e.maxColumn, tile.column);
      e.minRow = std::min(e.minRow, tile.row);
      e.maxRow = std::max(e.maxRow, tile.row);
      extentsChanged_ = true;
    }
  }
  ++pendingWrites_;
  if (pendingWrites_ >= kBatchWrites ||
      std::chrono::steady_clock::now() - transactionStart_ >= kBatchTime) {
    if (!Commit()) return StorageError;
  }
  return StorageOk;
}

std::uint16_t Store::Enumerate(const char* prefix, EnumerateCallback callback,
                               std::uint32_t mode, void* user) {
  TileNumber base;
  if (!ParseKey(prefix, &base, true)) {
    SetError("Invalid plate key prefix");
    return EnumerateFailed;
  }
  if (!callback || (mode != EnumerateKeys && mode != EnumerateData)) {
    SetError("Invalid enumeration request");
    return EnumerateFailed;
  }
  const bool withData = mode == EnumerateData;
  struct Row {
    std::int64_t column, row;
    std::uint32_t size;
    std::vector<unsigned char> data;
  };
  std::vector<Row> rows;
  std::int32_t index = 0;
  int zoom = base.zoom < 1 ? 1 : base.zoom;
  for (;;) {
    // The next zoom level that holds tiles, then its tiles below the prefix
    // page by page; the lock is not held while the caller is called back,
    // so the callback may write (delete) through this store.
    sqlite3_stmt* next = nullptr;
    sqlite3_stmt* page = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!open_) {
        SetError("Storage is not open");
        return EnumerateFailed;
      }
      if (!db_) return EnumerateEmpty;
      if (sqlite3_prepare_v2(db_, "SELECT min(zoom_level) FROM tiles WHERE zoom_level >= ?1"
                             " AND zoom_level <= 30", -1, &next, nullptr) != SQLITE_OK) {
        Fail("Cannot read storage");
        return EnumerateFailed;
      }
      sqlite3_bind_int(next, 1, zoom);
      const int rc = sqlite3_step(next);
      const bool found = rc == SQLITE_ROW && sqlite3_column_type(next, 0) != SQLITE_NULL;
      if (found) zoom = sqlite3_column_int(next, 0);
      sqlite3_finalize(next);
      if (rc != SQLITE_ROW) {
        Fail("Cannot read storage");
        return EnumerateFailed;
      }
      if (!found) break;
    }
    const int shift = zoom - base.zoom;
    const std::int64_t minColumn = base.column << shift;
    const std::int64_t maxColumn = ((base.column + 1) << shift) - 1;
    const std::int64_t minRow = base.row << shift;
    const std::int64_t maxRow = ((base.row + 1) << shift) - 1;
    std::int64_t afterColumn = minColumn, afterRow = minRow - 1;
    for (;;) {
      rows.clear();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_ || !db_) {
          SetError("Storage was closed during enumeration");
          return EnumerateFailed;
        }
        const char* sql = withData
                              ? "SELECT tile_column, tile_row, tile_data FROM tiles"
                                " WHERE zoom_level = ?1 AND tile_column BETWEEN ?2 AND ?3"
                                " AND tile_row BETWEEN ?4 AND ?5"
                                " AND (tile_column, tile_row) > (?6, ?7)"
                                " ORDER BY tile_column, tile_row LIMIT ?8"
                              : "SELECT tile_column, tile_row, length(tile_data) FROM tiles"
                                " WHERE zoom_level = ?1 AND tile_column BETWEEN ?2 AND ?3"
                                " AND tile_row BETWEEN ?4 AND ?5"
                                " AND (tile_column, tile_row) > (?6, ?7)"
                                " ORDER BY tile_column, tile_row LIMIT ?8";
        if (sqlite3_prepare_v2(db_, sql, -1, &page, nullptr) != SQLITE_OK) {
          Fail("Cannot read storage");
          return EnumerateFailed;
        }
        sqlite3_bind_int(page, 1, zoom);
        sqlite3_bind_int64(page, 2, minColumn);
        sqlite3_bind_int64(page, 3, maxColumn);
        sqlite3_bind_int64(page, 4, minRow);
        sqlite3_bind_int64(page, 5, maxRow);
        sqlite3_bind_int64(page, 6, afterColumn);
        sqlite3_bind_int64(page, 7, afterRow);
        sqlite3_bind_int(page, 8, kPageRows);
        std::size_t bytes = 0;
        int rc = SQLITE_DONE;
        while (bytes < kPageBytes && (rc = sqlite3_step(page)) == SQLITE_ROW) {
          Row row;
          row.column = sqlite3_column_int64(page, 0);
          row.row = sqlite3_column_int64(page, 1);
          if (withData) {
            const auto* blob = static_cast<const unsigned char*>(sqlite3_column_blob(page, 2));
            const int n = sqlite3_column_bytes(page, 2);
            if (blob && n > 0) row.data.assign(blob, blob + n);
            row.size = static_cast<std::uint32_t>(row.data.size());
            bytes += row.data.size();
          } else {
            const sqlite3_int64 n = sqlite3_column_int64(page, 2);
            row.size = n > 0 ? static_cast<std::uint32_t>(n) : 0;
          }
          rows.push_back(std::move(row));
        }
        if (bytes >= kPageBytes) rc = SQLITE_ROW;
        sqlite3_finalize(page);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
          Fail("Cannot read storage");
          return EnumerateFailed;
        }
      }
      if (rows.empty()) break;
      for (const Row& row : rows) {
        // An empty tile holds no picture, as Get says too.
        if (row.size == 0) continue;
        const std::string key = MakeKey({zoom, row.column, row.row});
        const void* data = withData && !row.data.empty() ? row.data.data() : nullptr;
        if (callback(user, index++, key.c_str(), data, row.size) == 0) return EnumerateStopped;
      }
      afterColumn = rows.back().column;
      afterRow = rows.back().row;
    }
    if (zoom >= kMaxZoom) break;
    ++zoom;
  }
  return index == 0 ? EnumerateEmpty : EnumerateFinished;
}

}  // namespace mbtiles

#include "storages/tiledir/tiledir_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "storages/kit/write_args.h"

namespace tiledir {
namespace {

constexpr std::uint32_t kMaxFileBytes = 64u << 20;  // no plate is nearly this big

std::string SystemError(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// Canonical decimal numbers only, so that every file maps to one key.
bool ParseNumber(const std::string& text, std::int64_t* value) {
  if (text.empty() || text.size() > 10) return false;
  if (text.size() > 1 && text[0] == '0') return false;
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// Names below a directory, as numbers within [low, high], sorted; files
// must end in ".jpg", directories must not. ENOENT gives an empty list.
bool ListNumbers(const std::string& dir, bool files, std::int64_t low, std::int64_t high,
                 std::vector<std::int64_t>* out) {
  out->clear();
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    if (errno == ENOENT || errno == ENOTDIR) return true;
    SetError(SystemError("Cannot list " + dir, errno));
    return false;
  }
  while (dirent* entry = ::readdir(d)) {
    std::string name = entry->d_name;
    if (files) {
      if (name.size() < 5 || name.compare(name.size() - 4, 4, ".jpg") != 0) continue;
      name.resize(name.size() - 4);
    }
    std::int64_t value;
    if (ParseNumber(name, &value) && value >= low && value <= high) out->push_back(value);
  }
  ::closedir(d);
  std::sort(out->begin(), out->end());
  return true;
}

// 1 read, 0 missing, -1 error.
int ReadFile(const std::string& path, std::vector<unsigned char>* data) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return 0;
    SetError(SystemError("Cannot open " + path, errno));
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
    ::close(fd);
    SetError("Not a plate file: " + path);
    return -1;
  }
  data->resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < data->size()) {
    const ssize_t n = ::read(fd, data->data() + done, data->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      SetError(SystemError("Cannot read " + path, error));
      return -1;
    }
    if (n == 0) break;  // shrank meanwhile
    done += static_cast<std::size_t>(n);
  }
  data->resize(done);
  ::close(fd);
  return data->empty() ? 0 : 1;
}

bool MakeDirs(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      SetError(SystemError("Cannot create folder " + part, errno));
      return false;
    }
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetError("Not a folder: " + path);
    return false;
  }
  return true;
}

// Writes a new file beside target and puts it in place as a whole; with
// keep, an existing target stays. 1 stored, 0 kept, -1 error.
int StoreFile(const std::string& target, const void* data, std::uint32_t size, bool keep) {
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    SetError(SystemError("Cannot create " + temp, errno));
    return -1;
  }
  ::fchmod(fd, 0644);
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      ::unlink(temp.c_str());
      SetError(SystemError("Cannot write " + target, error));
      return -1;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetError(SystemError("Cannot write " + target, error));
    return -1;
  }
  if (keep) {
    // link() refuses an existing name: no window in which another writer's file is lost.
    const int rc = ::link(temp.c_str(), target.c_str());
    const int error = errno;
    ::unlink(temp.c_str());
    if (rc == 0) return 1;
    if (error == EEXIST) return 0;
    SetError(SystemError("Cannot store " + target, error));
    return -1;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetError(SystemError("Cannot store " + target, error));
    return -1;
  }
  return 1;
}

}  // namespace


std::string TileFile(const TileNumber& tile) {
  const std::int64_t rowFromNorth = (std::int64_t{1} << tile.zoom) - 1 - tile.row;
  return std::to_string(tile.zoom) + '/' + std::to_string(tile.column) + '/' +
         std::to_string(rowFromNorth) + ".jpg";
}

bool Store::Open(const char* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
  root_.clear();
  blocks_.clear();
  if (!path) return true;
  std::string root = path;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty()) {
    SetError("Storage folder name is empty");
    return false;
  }
  struct stat st;
  if (::stat(root.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      SetError("Storage is not a folder: " + root);
      return false;
    }
  } else if (errno != ENOENT) {
    SetError(SystemError("Cannot open " + root, errno));
    return false;
  } else {
    // The storage folder itself comes with the first write; its parent must be there.
    const std::size_t slash = root.rfind('/');
    const std::string parent =
        slash == std::string::npos ? "." : slash == 0 ? "/" : root.substr(0, slash);
    if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      SetError("Storage folder does not exist: " + parent);
      return false;
    }
  }
  root_ = root;
  open_ = true;
  return true;
}

void Store::Close() { Open(nullptr); }

bool Store::Root(std::string* root) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) {
    SetError("Storage is not open");
    return false;
  }
  *root = root_;
  return true;
}

std::uint16_t Store::Check(const char* key) {
  TileNumber tile;
  if (!ParseKey(key, &tile)) {
    SetError("Invalid plate key");
    return StorageError;
  }
  std::string root;
  if (!Root(&root)) return StorageError;
  const std::string path = root + '/' + TileFile(tile);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode) && st.st_size > 0 ? StorageOk : StorageNotFound;
  if (errno == ENOENT || errno == ENOTDIR) return StorageNotFound;
  SetError(SystemError("Cannot check " + path, errno));
  return StorageError;
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
  std::string root;
  if (!Root(&root)) return StorageError;
  std::vector<unsigned char> bytes;
  const int rc = ReadFile(root + '/' + TileFile(tile), &bytes);
  if (rc < 0) return StorageError;
  if (rc == 0) return StorageNotFound;
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<unsigned char>& block = blocks_[std::this_thread::get_id()];
  block.swap(bytes);
  *data = block.data();
  *size = static_cast<std::uint32_t>(block.size());
  return StorageOk;
}

std::uint16_t Store::Write(const char* key, const void* data, std::uint32_t size,
                           std::uint32_t operation) {
  TileNumber tile;
  if (!storagekit::CheckWriteArgs(key, data, size, operation, &tile)) return StorageError;
  std::string root;
  if (!Root(&root)) return StorageError;
  const std::string file = TileFile(tile);
  const std::string path = root + '/' + file;
  if (operation == StorageWriteDelete) {
    if (::unlink(path.c_str()) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return StorageNotFound;
      SetError(SystemError("Cannot delete " + path, errno));
      return StorageError;
    }
    // Empty column and zoom folders go too; a folder still in use stays.
    const std::size_t column = path.rfind('/');
    const std::string columnDir = path.substr(0, column);
    if (::rmdir(columnDir.c_str()) == 0) ::rmdir(columnDir.substr(0, columnDir.rfind('/')).c_str());
    return StorageOk;
  }
  if (!MakeDirs(path.substr(0, path.rfind('/')))) return StorageError;
  const int rc = StoreFile(path, data, size, operation == StorageWriteKeep);
  return rc < 0 ? StorageError : rc == 0 ? StorageNotFound : StorageOk;
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
  std::string root;
  if (!Root(&root)) return EnumerateFailed;
  std::int32_t index = 0;
  std::vector<std::int64_t> zooms, columns, rows;
  std::vector<unsigned char> data;
  if (!ListNumbers(root, false, base.zoom < 1 ? 1 : base.zoom, kMaxZoom, &zooms))
    return EnumerateFailed;
  for (const std::int64_t z : zooms) {
    const int zoom = static_cast<int>(z);
    const int shift = zoom - base.zoom;
    const std::int64_t count = std::int64_t{1} << zoom;
    const std::int64_t minColumn = base.column << shift;
    const std::int64_t maxColumn = ((base.column + 1) << shift) - 1;
    // Rows from the north on disk.
    const std::int64_t minRow = count - (((base.row + 1) << shift) - 1) - 1;
    const std::int64_t maxRow = count - (base.row << shift) - 1;
    const std::string zoomDir = root + '/' + std::to_string(zoom);
    if (!ListNumbers(zoomDir, false, minColumn, maxColumn, &columns)) return EnumerateFailed;
    for (const std::int64_t column : columns) {
      const std::string columnDir = zoomDir + '/' + std::to_string(column);
      if (!ListNumbers(columnDir, true, minRow, maxRow, &rows)) return EnumerateFailed;
      for (const std::int64_t row : rows) {
        const std::string path = columnDir + '/' + std::to_string(row) + ".jpg";
        std::uint32_t size = 0;
        if (mode == EnumerateData) {
          const int rc = ReadFile(path, &data);
          if (rc < 0) return EnumerateFailed;
          if (rc == 0) continue;  // gone meanwhile, or empty
          size = static_cast<std::uint32_t>(data.size());
        } else {
          struct stat st;
          if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) continue;
          size = st.st_size > kMaxFileBytes ? kMaxFileBytes : static_cast<std::uint32_t>(st.st_size);
        }
        const std::string key = MakeKey({zoom, column, count - 1 - row});
        if (callback(user, index++, key.c_str(), mode == EnumerateData ? data.data() : nullptr,
                     size) == 0)
          return EnumerateStopped;
      }
    }
  }
  return index == 0 ? EnumerateEmpty : EnumerateFinished;
}

}  // namespace tiledir

#include "terrakon/plates/plate_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"

namespace tk {
namespace {

std::mutex g_cacheMutex;
std::string g_cacheDirectory;

// One directory of the walk; an existing directory is fine, an existing file
// of that name is not (the plate could never be written below it).
bool MakeOneDir(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  int error = errno;
  if (error == EEXIST) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    error = ENOTDIR;
  }
  SetLastError(error);
  Log("le: %d", error);
  return false;
}

}  // namespace

void SetCacheDirectory(std::string_view setting) {
  std::string resolved = CutToMaxPath(ProgramRelativePath(setting));
  std::lock_guard lock(g_cacheMutex);
  g_cacheDirectory = std::move(resolved);
}

std::string CacheDirectory() {
  std::lock_guard lock(g_cacheMutex);
  return g_cacheDirectory;
}

std::string PlatePathIn(std::string_view cacheDirectory, std::string_view key,
                        std::optional<std::string_view> extension) {
  std::string path(cacheDirectory);
  path.reserve(path.size() + 2 * key.size() + 8);
  if (!path.empty() && path.back() != '/') path += '/';
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (i > 0) path += '/';
    path += key[i];
  }
  std::string_view ext = extension.value_or("jpg");
  if (ext.empty()) return path;
  if (ext.front() != '/') path += '.';
  path += ext;
  return path;
}

std::string PlatePath(std::string_view key, std::optional<std::string_view> extension) {
  return PlatePathIn(CacheDirectory(), key, extension);
}

bool MakePlateDirsIn(std::string_view cacheDirectory, std::string_view key) {
  std::string path = PlatePathIn(cacheDirectory, key, "");
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/' || path[i - 1] == '/') continue;
    if (!MakeOneDir(path.substr(0, i))) return false;
  }
  return path.empty() || MakeOneDir(path);
}

bool MakePlateDirs(std::string_view key) { return MakePlateDirsIn(CacheDirectory(), key); }

}  // namespace tk

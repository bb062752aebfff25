// Where plates live in the disk cache: the plate with key k1 k2 ... kn is the
// file k1/k2/.../kn.jpg below the cache directory, and its children lie in
// the directory k1/k2/.../kn.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tk {

// The cache directory from the "Cache" setting: a relative value is taken
// against the program folder; at most 260 characters are kept. Safe to call
// while download workers build paths.
void SetCacheDirectory(std::string_view setting);
std::string CacheDirectory();

// Path of a plate below the cache directory. No extension: the plate file
// (".jpg"); an empty extension: the directory of the plate's children; "jp":
// the temporary file of a download. An extension that begins with '/' is
// appended without a dot.
std::string PlatePath(std::string_view key,
                      std::optional<std::string_view> extension = std::nullopt);
std::string PlatePathIn(std::string_view cacheDirectory, std::string_view key,
                        std::optional<std::string_view> extension = std::nullopt);

// Creates every missing directory on the plate's path, its children directory
// included. An existing directory is no error; any other failure logs
// "le: %d" with the error number, leaves it as the thread's error and fails.
bool MakePlateDirs(std::string_view key);
bool MakePlateDirsIn(std::string_view cacheDirectory, std::string_view key);

}  // namespace tk

#include "paths.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace tk {
namespace {

std::string ReadProgramPath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    std::size_t end = path.find('/', i);
    if (end == std::string_view::npos) end = path.size();
    if (end > i) parts.push_back(path.substr(i, end - i));
    i = end;
  }
  return parts;
}

}  // namespace

std::string CutToMaxPath(std::string_view text) {
  return std::string(text.substr(0, kMaxPath));
}

const std::string& ProgramPath() {
  static const std::string path = ReadProgramPath();
  return path;
}

const std::string& ProgramFolder() {
  static const std::string folder = [] {
    const std::string& path = ProgramPath();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string(".");
    return slash == 0 ? std::string("/") : path.substr(0, slash);
  }();
  return folder;
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string result(folder);
  if (!result.empty() && result.back() != '/' && !name.empty()) result += '/';
  result += name;
  return result;
}

std::string ProgramRelativePath(std::string_view path, std::string_view programFolder) {
  if (IsAbsolutePath(path)) return std::string(path);
  return JoinPath(programFolder, path);
}

std::string ProgramRelativePath(std::string_view path) {
  return ProgramRelativePath(path, ProgramFolder());
}

std::string StoredPath(std::string_view path, std::string_view programFolder) {
  if (!IsAbsolutePath(path) || !IsAbsolutePath(programFolder)) return std::string(path);
  std::vector<std::string_view> target = Components(path);
  std::vector<std::string_view> base = Components(programFolder);
  // Only a path on the program's own top-level folder moves with the program.
  if (target.empty() || base.empty() || target.front() != base.front()) return std::string(path);
  std::size_t common = 0;
  while (common < target.size() && common < base.size() && target[common] == base[common]) ++common;
  std::string result;
  for (std::size_t i = common; i < base.size(); ++i) result += result.empty() ? ".." : "/..";
  for (std::size_t i = common; i < target.size(); ++i) {
    if (!result.empty()) result += '/';
    result += target[i];
  }
  return result.empty() ? std::string(".") : result;
}

std::string StoredPath(std::string_view path) { return StoredPath(path, ProgramFolder()); }

}  // namespace tk

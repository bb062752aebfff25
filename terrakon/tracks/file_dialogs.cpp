#include "terrakon/tracks/file_dialogs.h"

#include <sys/stat.h>

namespace tk {

std::string DialogFilter(std::string_view tableFilter) {
  std::size_t bar = tableFilter.find('|');
  if (bar == std::string_view::npos) return std::string(tableFilter);
  std::string result(tableFilter.substr(0, bar));
  result += " (";
  result += tableFilter.substr(bar + 1);
  result += ')';
  return result;
}

std::string FolderOf(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

bool HasExtension(std::string_view path) {
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace tk

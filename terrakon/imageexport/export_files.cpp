#include "terrakon/imageexport/export_files.h"

#include <sys/stat.h>

#include "common/whole_file.h"

namespace tk {

std::string ExportTemporaryName(const std::string& path) { return TemporaryNameBeside(path); }

bool SaveExportText(const std::string& path, std::string_view text) { return WriteWholeFile(path, text); }

bool ExportFileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string ReplaceExtension(const std::string& path, std::string_view extension) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  std::string result = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot)
                                                                                                : path;
  result += '.';
  result += extension;
  return result;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tk

// Files of the export are written whole or not at all: under a temporary
// name beside the target, renamed over it once complete.
#pragma once

#include <string>
#include <string_view>

namespace tk {

// A name beside path that no other writer of this process uses.
std::string ExportTemporaryName(const std::string& path);
// False with the system's error (no file left behind) when it fails.
bool SaveExportText(const std::string& path, std::string_view text);
bool ExportFileExists(const std::string& path);
// path with the text after the last '.' of its name replaced (or added).
std::string ReplaceExtension(const std::string& path, std::string_view extension);
std::string BaseName(const std::string& path);

}  // namespace tk

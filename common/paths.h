// Paths of the program: its folder, absolute and relative paths, and the rule
// by which a path below the program's own top-level folder is stored relative
// to the program folder (so a portable installation can move as a whole).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tk {

// Longest path a fixed path setting holds, in characters; longer texts are cut.
inline constexpr std::size_t kMaxPath = 260;

// Cuts a text to kMaxPath characters, the rule of every fixed path buffer.
std::string CutToMaxPath(std::string_view text);

// Full path of the running executable, and its folder (no trailing '/').
const std::string& ProgramPath();
const std::string& ProgramFolder();

// A path is absolute when it begins with '/'.
bool IsAbsolutePath(std::string_view path);

// Joins a folder and a name with one '/' between them.
std::string JoinPath(std::string_view folder, std::string_view name);

// An absolute path unchanged; a relative one taken against the program folder.
std::string ProgramRelativePath(std::string_view path);
std::string ProgramRelativePath(std::string_view path, std::string_view programFolder);

// The form in which a path setting is stored: an absolute path whose first
// component equals the program folder's ("the program's drive") becomes
// relative to the program folder, with "../" steps where needed; anything
// else is kept as it is.
std::string StoredPath(std::string_view path);
std::string StoredPath(std::string_view path, std::string_view programFolder);

}  // namespace tk

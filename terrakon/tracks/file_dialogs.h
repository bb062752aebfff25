// What the load and save dialogs of waypoint and track files share: the
// format tables' filters in the form the dialog seam takes, and the path
// rules of the chosen files.
#pragma once

#include <string>
#include <string_view>

namespace tk {

// "OziExplorer (wpt)|*.wpt" as the dialog seam's "OziExplorer (wpt) (*.wpt)".
std::string DialogFilter(std::string_view tableFilter);

// The folder of a file with a trailing '/'; "" for a bare name.
std::string FolderOf(std::string_view path);
// A "." after the last '/'.
bool HasExtension(std::string_view path);
// Something (file or folder) exists under the name.
bool PathExists(const std::string& path);

}  // namespace tk

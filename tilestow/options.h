// The command line of the storage utility: switches begin with '-' or '/',
// the first other argument names the plugin library.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk::tilestow {

// '-' always starts a switch. '/' starts one unless a further '/' comes
// before any '=': "/STAT" and "/db=/srv/x" are switches, "/opt/tk/mbtiles.so"
// is a path.
bool IsSwitch(std::string_view argument);

// A flag matches when the text after the first character equals one of the
// alternatives (separated by ';'); letter case is ignored.
bool FlagMatches(std::string_view argument, std::string_view alternatives);
// A value switch matches when that text begins with an alternative and '='
// follows at once; the value is the rest.
std::optional<std::string> ValueOf(std::string_view argument, std::string_view alternatives);

// The first argument that matches; arguments that are not switches never do.
bool HasFlag(const std::vector<std::string>& arguments, std::string_view alternatives);
std::optional<std::string> FindValue(const std::vector<std::string>& arguments,
                                     std::string_view alternatives);
std::optional<std::string> FirstPositional(const std::vector<std::string>& arguments);

}  // namespace tk::tilestow

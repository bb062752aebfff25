// The program's command line and the path switches "-NAME=path" / "/NAME=path"
// (e.g. -CFG=..., /LOG=...) that choose the files it uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tk {

// Set once by main; CommandLine()[0] is the program name.
void SetCommandLine(int argc, const char* const* argv);
std::vector<std::string> CommandLine();

// The path of the first argument after the program name that is "-" or "/",
// one of the names (alternatives separated by ';', compared without regard to
// case), "=" and a value. $VAR and ${VAR} in the value are expanded (unset:
// empty); a relative result is taken against the program folder. Without such
// an argument: defaultFile against the program folder. An empty value or
// default gives "" (no file); the value "-" stays "-" (no log file). At most
// kMaxPath characters.
std::string CommandLinePath(std::string_view name, std::string_view defaultFile);
std::string CommandLinePath(std::string_view name, std::string_view defaultFile,
                            const std::vector<std::string>& arguments,
                            std::string_view programFolder);

// $VAR and ${VAR} replaced by the environment's values; "$" not followed by a
// name, and "${" without "}", stay as they are.
std::string ExpandEnvironment(std::string_view text);

}  // namespace tk

#include "common/command_line.h"

#include <cstdlib>
#include <mutex>
#include <strings.h>

#include "common/paths.h"

namespace tk {
namespace {

std::mutex g_mutex;
std::vector<std::string> g_arguments;

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The value of "-NAME=value" or "/NAME=value" for one of the names, if any.
const std::string* FindSwitch(std::string_view names, const std::vector<std::string>& arguments,
                              std::size_t& valueStart) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) continue;
    std::size_t equals = argument.find('=');
    if (equals == std::string::npos) continue;
    std::string_view given = std::string_view(argument).substr(1, equals - 1);
    std::string_view rest = names;
    while (true) {
      std::size_t semicolon = rest.find(';');
      std::string_view name = rest.substr(0, semicolon);
      if (!name.empty() && EqualNoCase(name, given)) {
        valueStart = equals + 1;
        return &argument;
      }
      if (semicolon == std::string_view::npos) break;
      rest.remove_prefix(semicolon + 1);
    }
  }
  return nullptr;
}

}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc && argv; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  std::lock_guard lock(g_mutex);
  g_arguments = std::move(arguments);
}

std::vector<std::string> CommandLine() {
  std::lock_guard lock(g_mutex);
  return g_arguments;
}

std::string ExpandEnvironment(std::string_view text) {
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c != '$' || i + 1 >= text.size()) {
      result += c;
      ++i;
      continue;
    }
    if (text[i + 1] == '{') {
      std::size_t close = text.find('}', i + 2);
      if (close == std::string_view::npos) {
        result.append(text.substr(i));
        break;
      }
      result += Environment(std::string(text.substr(i + 2, close - i - 2)));
      i = close + 1;
    } else if (IsNameStart(text[i + 1])) {
      std::size_t end = i + 1;
      while (end < text.size() && IsNameChar(text[end])) ++end;
      result += Environment(std::string(text.substr(i + 1, end - i - 1)));
      i = end;
    } else {
      result += c;
      ++i;
    }
  }
  return result;
}

std::string CommandLinePath(std::string_view name, std::string_view defaultFile,
                            const std::vector<std::string>& arguments,
                            std::string_view programFolder) {
  std::size_t valueStart = 0;
  const std::string* argument = FindSwitch(name, arguments, valueStart);
  std::string path = argument ? ExpandEnvironment(std::string_view(*argument).substr(valueStart))
                              : std::string(defaultFile);
  // "" would name the program folder itself and "-" is the file log's "no
  // file": neither is a file name to resolve.
  if (path.empty() || path == "-") return path;
  return CutToMaxPath(ProgramRelativePath(path, programFolder));
}

std::string CommandLinePath(std::string_view name, std::string_view defaultFile) {
  return CommandLinePath(name, defaultFile, CommandLine(), ProgramFolder());
}

}  // namespace tk

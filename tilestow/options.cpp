#include "tilestow/options.h"

#include <cctype>

namespace tk::tilestow {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

template <typename F>
bool AnyAlternative(std::string_view alternatives, F&& match) {
  while (true) {
    const std::size_t semicolon = alternatives.find(';');
    if (match(alternatives.substr(0, semicolon))) return true;
    if (semicolon == std::string_view::npos) return false;
    alternatives.remove_prefix(semicolon + 1);
  }
}

}  // namespace

bool IsSwitch(std::string_view argument) {
  if (argument.empty()) return false;
  if (argument.front() == '-') return true;
  if (argument.front() != '/') return false;
  const std::string_view name = argument.substr(1, argument.find('=') - 1);
  return name.find('/') == std::string_view::npos;
}

bool FlagMatches(std::string_view argument, std::string_view alternatives) {
  if (!IsSwitch(argument)) return false;
  const std::string_view text = argument.substr(1);
  return AnyAlternative(alternatives, [&](std::string_view alt) { return EqualNoCase(text, alt); });
}

std::optional<std::string> ValueOf(std::string_view argument, std::string_view alternatives) {
  if (!IsSwitch(argument)) return std::nullopt;
  const std::string_view text = argument.substr(1);
  std::optional<std::string> value;
  AnyAlternative(alternatives, [&](std::string_view alt) {
    if (alt.empty() || text.size() <= alt.size() || text[alt.size()] != '=' ||
        !EqualNoCase(text.substr(0, alt.size()), alt))
      return false;
    value = std::string(text.substr(alt.size() + 1));
    return true;
  });
  return value;
}

bool HasFlag(const std::vector<std::string>& arguments, std::string_view alternatives) {
  for (const std::string& argument : arguments)
    if (FlagMatches(argument, alternatives)) return true;
  return false;
}

std::optional<std::string> FindValue(const std::vector<std::string>& arguments,
                                     std::string_view alternatives) {
  for (const std::string& argument : arguments)
    if (auto value = ValueOf(argument, alternatives)) return value;
  return std::nullopt;
}

std::optional<std::string> FirstPositional(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments)
    if (!IsSwitch(argument)) return argument;
  return std::nullopt;
}

}  // namespace tk::tilestow

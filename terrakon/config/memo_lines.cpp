#include "terrakon/config/memo_lines.h"

namespace tk {

std::vector<std::string> LoadMemoLines(std::string_view stored) {
  std::vector<std::string> lines;
  if (stored.empty()) return lines;
  for (;;) {
    std::size_t end = stored.find(kMemoLineSeparator);
    lines.emplace_back(stored.substr(0, end));
    if (end == std::string_view::npos) break;
    stored.remove_prefix(end + 1);
  }
  return lines;
}

std::string SaveMemoLines(const std::vector<std::string>& lines) {
  constexpr std::string_view kTrimmed = " \r\n";
  std::string joined;
  for (std::string_view line : lines) {
    std::size_t first = line.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(kTrimmed) - first + 1);
    if (line.front() == '#' || line.front() == ';') continue;
    if (!joined.empty()) joined += kMemoLineSeparator;
    joined += line;
  }
  return joined;
}

}  // namespace tk

// Several lines kept in one text setting, joined by the character 7.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tk {

inline constexpr char kMemoLineSeparator = '\x07';

// The lines of a stored text; none for an empty text.
std::vector<std::string> LoadMemoLines(std::string_view stored);

// The stored form of edited lines: each line trimmed of spaces, CR and LF at
// both ends; empty lines and comment lines (beginning with '#' or ';')
// dropped.
std::string SaveMemoLines(const std::vector<std::string>& lines);

}  // namespace tk

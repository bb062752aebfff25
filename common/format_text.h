// printf-style formatting into std::string, and the UTF-8-safe cut that every
// fixed-length text of the program uses.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace tk {

// The whole formatted text, without a length limit. A null format gives "".
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string VFormatText(const char* format, va_list args);

// The longest prefix of text of at most maxBytes bytes that does not end
// inside a UTF-8 sequence, as a length in bytes.
std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes);

}  // namespace tk

#include "common/format_text.h"

#include <cstdio>

namespace tk {

std::string VFormatText(const char* format, va_list args) {
  if (!format) return {};
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string result(static_cast<std::size_t>(n), '\0');
  std::vsnprintf(result.data(), result.size() + 1, format, args);
  return result;
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = VFormatText(format, args);
  va_end(args);
  return result;
}

std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t cut = maxBytes;
  // Back off over continuation bytes so a character is never split; a run of
  // more than three of them is not UTF-8 anyway, so cut where asked.
  std::size_t back = 0;
  while (cut > 0 && back < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
    ++back;
  }
  if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) return maxBytes;
  return cut;
}

}  // namespace tk

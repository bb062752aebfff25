#include "common/size_text.h"

#include <cstdio>

namespace tk {

std::string SizeText(std::uint64_t value) {
  static constexpr char kLetters[] = "BKMGTPEZYABCDEF";
  unsigned long long quotient = value;
  unsigned long long remainder = 0;
  int steps = 0;
  while (quotient >= 1000) {
    remainder = quotient % 1000;
    quotient /= 1000;
    ++steps;
  }
  char text[48];
  if (steps == 0)
    std::snprintf(text, sizeof text, "%llu", quotient);
  else if (steps <= 14)
    std::snprintf(text, sizeof text, "%llu.%03llu%c", quotient, remainder, kLetters[steps]);
  else  // unreachable with 64 bits, kept for wider counts
    std::snprintf(text, sizeof text, "%llu.%03llu?", quotient, remainder);
  return text;
}

}  // namespace tk

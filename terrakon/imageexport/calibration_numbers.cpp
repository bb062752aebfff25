#include "terrakon/imageexport/calibration_numbers.h"

#include <charconv>

namespace tk {

std::string FixedDecimals(double value, int decimals) {
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "0";
  return std::string(buffer, end);
}

}  // namespace tk

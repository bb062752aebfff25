// Numbers of the calibration files in the C locale's notation, whatever the
// process's locale (a decimal comma would break the comma-separated lines).
#pragma once

#include <string>

namespace tk {

std::string FixedDecimals(double value, int decimals);

}  // namespace tk

// Checked parsing of the numbers and degree fields users type. A text that
// is no number is refused with the error box "Number [%s] is not vaid float
// value", after which the user operation is abandoned (OperationAbandoned).
#pragma once

#include <optional>
#include <string_view>

namespace tk {

// A decimal number (blanks around it, an optional sign, at most one decimal
// point; read independently of the locale).
double ParseNumber(std::string_view text);

// Degrees, minutes and seconds into a latitude or an internal longitude:
// with minutes the degrees count only whole, with seconds the minutes too;
// seconds without minutes are ignored. Then JoinHemisphere with letter.
double ParseDegrees(std::string_view degrees, std::optional<std::string_view> minutes,
                    std::optional<std::string_view> seconds, char letter, bool isLongitude);

}  // namespace tk

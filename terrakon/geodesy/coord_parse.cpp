#include "terrakon/geodesy/coord_parse.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/ui_services.h"
#include "platform/geoengine/geo_engine.h"
#include "platform/i18n/translate.h"
#include "terrakon/geodesy/coord_format.h"
#include "common/operation_abandoned.h"

namespace tk {
namespace {

bool ReadNumber(std::string_view text, double* value) {
  if (!ValidNumber(text)) return false;
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.front() == '+') text.remove_prefix(1);  // from_chars takes no plus sign
  // from_chars, unlike strtod, ignores the user's locale: the point is always '.'.
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(*value);
}

}  // namespace

double ParseNumber(std::string_view text) {
  double value;
  if (!ReadNumber(text, &value)) {
    ErrorBox(Translate("Number [%s] is not vaid float value"), std::string(text).c_str());
    throw OperationAbandoned();
  }
  return value;
}

double ParseDegrees(std::string_view degrees, std::optional<std::string_view> minutes,
                    std::optional<std::string_view> seconds, char letter, bool isLongitude) {
  double value;
  if (minutes && seconds) {
    value = std::trunc(ParseNumber(degrees)) + std::trunc(ParseNumber(*minutes)) / 60 +
            ParseNumber(*seconds) / 3600;
  } else if (minutes) {
    value = std::trunc(ParseNumber(degrees)) + ParseNumber(*minutes) / 60;
  } else {
    value = ParseNumber(degrees);
  }
  return JoinHemisphere(value, letter, isLongitude);
}

}  // namespace tk

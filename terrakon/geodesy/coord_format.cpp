#include "terrakon/geodesy/coord_format.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "common/format_text.h"
#include "platform/geoengine/geo_engine.h"
#include "platform/i18n/translate.h"
#include "terrakon/geodesy/coord_choice.h"
#include "terrakon/geodesy/geodesy.h"

namespace tk {
namespace {

constexpr const char* kError = "<error>";

// The latitudes of the pixel space's southern and northern edges differ:
// the last pixel row stops short of the northern limit.
constexpr double kSouthEdge = -85.04073635507922;
constexpr double kNorthEdge = 85.13203496850686;

std::string Cut(std::string text) {
  text.resize(Utf8CutLength(text, kMaxCoordText));
  return text;
}

std::string PixelAxis(int64_t v, const char* low, const char* high) {
  if (v <= 0) return low;
  if (v >= kWorldSize) return high;
  return FormatText("%" PRIu64, static_cast<uint64_t>(v));
}

std::string PrintPixels(PixelPoint p, std::string_view separator) {
  return PixelAxis(p.X, "<< W 180", ">> E 180") + std::string(separator) +
         PixelAxis(p.Y, "\\/ S 90", "/\\ N 90");
}

std::string PrintResult(int coordSys, const ConvertedCoord& c, int degType,
                        std::string_view separator) {
  const std::string sep(separator);
  switch (coordSys) {
    case 0:
      return FormatDegrees(Rad2G(c.Number(1)), degType, false) + sep +
             FormatDegrees(Rad2G(c.Number(0)) + 180, degType, true);
    case 1:
    case 4:
      return std::string(c.Text());
    case 2:
    case 3:
      return FormatText("%lf%s%lf", c.Number(0), sep.c_str(), c.Number(1));
    case 5:
      return FormatText("E%lf%sN%lf%s%d%c", c.Number(0), sep.c_str(), c.Number(1), sep.c_str(),
                        c.Int32At(ConvertedCoord::kZoneOffset),
                        static_cast<char>(c.bytes[ConvertedCoord::kHemisphereOffset]));
    default:
      return kError;
  }
}

}  // namespace

int DegTypeCount() { return kDegTypeCount; }

const char* DegTypeName(int degType) {
  switch (degType) {
    case 0: return Translate("Degree, Min, Sec");
    case 1: return Translate("Degree, Min");
    case 2: return Translate("Degree");
    default: return Translate("<unknown>");
  }
}

std::string FormatCoord(PixelPoint p, int32_t datum, int coordSys, int degType,
                        std::string_view separator) {
  if (coordSys == kPixelSystem) return Cut(PrintPixels(p, separator));
  // Only systems 0 ... 5 have a result printer.
  if (coordSys < 0 || coordSys > 5) return kError;
  ConvertedCoord c;
  if (!GoogleToSystem(p, static_cast<uint16_t>(coordSys), datum, &c)) return kError;
  return Cut(PrintResult(coordSys, c, degType, separator));
}

std::string FormatCoordCurrent(PixelPoint p, std::string_view separator) {
  const CoordChoice& choice = CurrentChoice();
  return FormatCoord(p, choice.datum, choice.coordSys, choice.degType, separator);
}

Hemisphere SplitHemisphere(double value, bool isLongitude) {
  if (isLongitude) return value > 180 ? Hemisphere{'E', value - 180} : Hemisphere{'W', 180 - value};
  return value >= 0 ? Hemisphere{'N', value} : Hemisphere{'S', -value};
}

double JoinHemisphere(double value, char letter, bool isLongitude) {
  if (isLongitude) return letter == 'W' ? 180 - value : value + 180;
  return letter == 'S' ? -value : value;
}

std::string FormatDegrees(double value, int degType, bool isLongitude) {
  if (isLongitude) {
    if (value <= 0) return "<< W 180";
    if (value >= 360) return ">> E 180";
  } else {
    if (value <= kSouthEdge) return "\\/ S 90";
    if (value >= kNorthEdge) return "/\\ N 90";
  }
  if (std::isnan(value)) return kError;
  const Hemisphere h = SplitHemisphere(value, isLongitude);
  const double a = std::fabs(h.value);
  char text[64];
  switch (degType) {
    case 0: {
      const double s = std::trunc(a * 3600);
      std::snprintf(text, sizeof text, "%c %3d %02d %02.*lf", h.letter, static_cast<int>(a),
                    static_cast<int>(std::trunc(a * 60)) % 60, 4,
                    std::fmod(s, 60) + (a * 3600 - s));
      break;
    }
    case 1: {
      const double m = std::trunc(a * 60);
      std::snprintf(text, sizeof text, "%c %3d %02.*lf", h.letter, static_cast<int>(a), 6,
                    std::fmod(m, 60) + (a * 60 - m));
      break;
    }
    default:
      std::snprintf(text, sizeof text, "%c %3.*lf", h.letter, 8, a);
      break;
  }
  return text;
}

}  // namespace tk

// The 24-byte result record of ConvertCoord. Its content depends on the
// target coordinate system (see CoordinateSystemName):
//   0 geodetic          longitude [rad], latitude [rad], height [m] as doubles
//   1 GEOREF, 4 MGRS    a text with its terminating zero
//   2 geocentric        X, Y, Z [m]
//   3 local Cartesian   east, north, up [m] from the origin 0, 0, height 0
//   5 UTM               easting, northing [m]; zone int32 at byte 16,
//                       hemisphere 'N' or 'S' at byte 20
//   6 UPS               easting, northing [m]; hemisphere 'N' or 'S' at byte 16
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tk {

struct ConvertedCoord {
  static constexpr std::size_t kSize = 24;
  static constexpr std::size_t kZoneOffset = 16;
  static constexpr std::size_t kHemisphereOffset = 20;
  static constexpr std::size_t kUpsHemisphereOffset = 16;

  alignas(8) unsigned char bytes[kSize] = {};

  // The i-th double (0 ... 2).
  double Number(int i) const {
    double v;
    std::memcpy(&v, bytes + 8 * i, sizeof v);
    return v;
  }
  void SetNumber(int i, double v) { std::memcpy(bytes + 8 * i, &v, sizeof v); }

  int32_t Int32At(std::size_t offset) const {
    int32_t v;
    std::memcpy(&v, bytes + offset, sizeof v);
    return v;
  }
  void SetInt32At(std::size_t offset, int32_t v) { std::memcpy(bytes + offset, &v, sizeof v); }

  // The record read as text: up to the first zero byte, never past the record.
  std::string_view Text() const {
    const void* end = std::memchr(bytes, 0, kSize);
    const std::size_t n = end ? static_cast<const unsigned char*>(end) - bytes : kSize;
    return {reinterpret_cast<const char*>(bytes), n};
  }
  // Stores a text cut to 23 characters, zero-filled.
  void SetText(std::string_view text) {
    std::memset(bytes, 0, kSize);
    std::memcpy(bytes, text.data(), text.size() < kSize ? text.size() : kSize - 1);
  }
};

static_assert(sizeof(ConvertedCoord) == ConvertedCoord::kSize);

}  // namespace tk

// The engine's datum table: a CSV file of our own (data/datums.csv) with one
// datum per row and its tie to WGS 84. Lines starting with '#' are comments;
// the first other line is the header. Fields with commas are double-quoted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tk {

enum class ShiftMethod {
  kTranslation,  // geocentric dx, dy, dz
  kHelmert,      // seven parameters, coordinate-frame rotations
  kWgs72,        // the dedicated WGS 72 to WGS 84 conversion
};

struct Datum {
  std::string code;
  std::string name;
  std::string ellipsoid;  // ellipsoid code
  double a = 0;           // semi-major axis [m]
  double rf = 0;          // inverse flattening
  ShiftMethod method = ShiftMethod::kTranslation;
  double dx = 0, dy = 0, dz = 0;  // WGS 84 minus local [m]
  double rx = 0, ry = 0, rz = 0;  // [arc-seconds]
  double ds = 0;                  // scale [ppm]
};

// Parses the table; the first datum must be WGS 84 ("WGE", no shift), codes
// must be unique. False with a message naming the line on any fault.
bool ParseDatumTable(std::string_view text, std::vector<Datum>* datums, std::string* error);
bool LoadDatumTable(const std::string& path, std::vector<Datum>* datums, std::string* error);

}  // namespace tk

#include "terrakon/imageexport/ozi_map.h"

#include <cmath>

#include "common/format_text.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/geodesy/coord_format.h"
#include "terrakon/imageexport/calibration_numbers.h"
#include "terrakon/imageexport/export_files.h"

namespace tk {
namespace {

// Minutes of the degrees value v, fraction included.
double Minutes(double v) {
  const double m = std::trunc(v * 60);
  return std::fmod(m, 60) + (v * 60 - m);
}

std::string Lon(int64_t x) { return FixedDecimals(Google2X(x) - 180, 6); }
std::string Lat(int64_t y) { return FixedDecimals(Google2Y(y), 6); }

}  // namespace

std::string CornerText(int64_t x, int64_t y) {
  const Hemisphere lon = SplitHemisphere(Google2X(x), true);
  const Hemisphere lat = SplitHemisphere(Google2Y(y), false);
  std::string text = std::to_string(static_cast<int>(std::trunc(lat.value)));
  text += ',';
  text += FixedDecimals(Minutes(lat.value), 6);
  text += ',';
  text += lat.letter;
  text += ',';
  text += std::to_string(static_cast<int>(std::trunc(lon.value)));
  text += ',';
  text += FixedDecimals(Minutes(lon.value), 6);
  text += ',';
  text += lon.letter;
  return text;
}

bool WriteOziMap(const std::string& imagePath, const std::string& mapPath, int width, int height,
                 const ImageEdges& e) {
  std::string t = "OziExplorer Map Data File Version 2.2\n";
  t += imagePath + "\n" + imagePath + "\n";
  t += "1 ,Map Code,\nWGS 84,,   0.0000,   0.0000,WGS 84\nReserved 1\nReserved 2\nMagnetic Variation,,,E\n"
       "Map Projection,Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\n";
  const struct {
    int x, y;
    int64_t gx, gy;
  } corners[4] = {{0, 0, e.left, e.north}, {width, 0, e.right, e.north}, {width, height, e.right, e.south},
                  {0, height, e.left, e.south}};
  for (int i = 0; i < 4; ++i) {
    t += FormatText("Point%02d,xy,%d,%d,in, deg, %s,grid,,,,N\n", i + 1, corners[i].x, corners[i].y,
                    CornerText(corners[i].gx, corners[i].gy).c_str());
  }
  for (int i = 5; i <= 30; ++i) t += FormatText("Point%d,xy,,,in, deg,,,N,,,W,grid,,,,N\n", i);
  t += "Projection Setup,,,,,,,,,,\n"
       "Map Feature = MF ; Map Comment = MC     These follow if they exist\n"
       "Track File = TF      These follow if they exist\n"
       "Moving Map Parameters = MM?    These follow if they exist\n"
       "MM0,No\nMMPNUM,4\n";
  for (int i = 0; i < 4; ++i) t += FormatText("MMPXY,%d,%d,%d\n", i + 1, corners[i].x, corners[i].y);
  for (int i = 0; i < 4; ++i)
    t += FormatText("MMPLL,%d,%s,%s\n", i + 1, Lon(corners[i].gx).c_str(), Lat(corners[i].gy).c_str());
  t += FormatText("MOP,Map Open Position,0,0\nIWH,Map Image Width/Height,%d,%d\n", width, height);

  // The file's lines end in CR LF.
  std::string crlf;
  crlf.reserve(t.size() + 80);
  for (char c : t) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return SaveExportText(mapPath, crlf);
}

}  // namespace tk

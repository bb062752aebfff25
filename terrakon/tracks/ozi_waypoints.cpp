#include "terrakon/tracks/ozi_waypoints.h"

#include "common/error.h"
#include "common/log.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/geodesy/geodesy.h"
#include "terrakon/geodesy/ozi_datums.h"
#include "terrakon/tracks/ozi_position.h"
#include "terrakon/tracks/ozi_text.h"
#include "terrakon/tracks/waypoint_array.h"

namespace tk {
namespace {

constexpr const char* kHeader = "OziExplorer Waypoint File Version 1.1";
constexpr std::size_t kFields = 17;

std::string WaypointLine(const Waypoint& w) {
  std::string line = std::to_string(w.number);
  line += ',';
  line += OziFieldText(w.name);
  line += ',';
  line += OziFixed(Google2Y(w.Y));
  line += ',';
  line += OziFixed(Google2X(w.X) - 180);
  line += ',';
  line += w.dateTime.IsEmpty() ? std::string("0") : OziFixed(DateTimeToDays(w.dateTime));
  line += ",0,1,3,";
  line += std::to_string(static_cast<int32_t>(w.foreground));
  line += ',';
  line += std::to_string(static_cast<int32_t>(w.background));
  line += ',';
  line += OziFieldText(w.description);
  line += ",0,0,0,";
  line += std::to_string(w.altitude);
  line += ',';
  line += std::to_string(w.fontSize);
  line += (w.fontStyle & kFontBold) ? ",1," : ",0,";
  line += std::to_string(w.symbolSize);
  line += "\r\n";
  return line;
}

// Leaves the reason as it is and names the line in the log.
}  // namespace

bool WriteOziWaypoints(const WaypointArray& list, const std::string& fileName, bool selectedOnly) {
  std::string text = kHeader;
  text += "\r\nWGS 84\r\nReserved 2\r\ngarmin16\r\n";
  int written = 0;
  for (const Waypoint& w : list.Items()) {
    if (selectedOnly && w.state != 1) continue;
    text += WaypointLine(w);
    ++written;
  }
  if (!WriteWholeTextFile(fileName, text)) return false;
  if (list.Count() > 0) Log(Translate("%d waypoints saved to file: %s"), written, fileName.c_str());
  return true;
}

bool ReadOziWaypoints(WaypointArray& list, const std::string& fileName) {
  OziLineReader reader;
  if (!reader.Open(fileName)) return false;
  int32_t datum = 0;
  int record = 0, added = 0;
  std::string line;
  while (reader.Next(line)) {
    const int n = reader.LineNumber();
    const OziHeadLine head = ReadOziHeadLine(n, line, kHeader, &datum, fileName);
    if (head == OziHeadLine::kFailed) return false;
    if (head == OziHeadLine::kRead) continue;
    if (n <= 4) continue;

    ++record;
    const std::vector<std::string_view> f = SplitOziFields(line);
    if (f.size() < kFields) {
      SetLastError(kErrorNotSupported);
      return OziReadFailed(fileName, n);
    }
    Waypoint w = list.NewWaypoint(0, 0);
    PixelPoint p;
    if (!ReadOziPosition(OziField(f, 3), OziField(f, 4), datum, record, &p))
      return OziReadFailed(fileName, n);
    w.X = p.X;
    w.Y = p.Y;
    if (!ReadOziDateTime(OziField(f, 5), &w.dateTime)) {
      SetErrorText(Translate("Invalid %d-th waypoint time: %s"), record, std::string(OziField(f, 5)).c_str());
      return OziReadFailed(fileName, n);
    }
    w.name = FixedText(OziTextFromField(OziField(f, 2)));
    w.description = FixedText(OziTextFromField(OziField(f, 11)));
    w.altitude = OziAltitude(OziField(f, 15), 0);
    w.foreground = static_cast<uint32_t>(OziInt(OziField(f, 9), static_cast<int32_t>(kNoColor)));
    w.background = static_cast<uint32_t>(OziInt(OziField(f, 10), 0xFFFFFF));
    w.fontSize = OziInt(OziField(f, 16), 8);
    w.fontStyle = OziInt(OziField(f, 17), 0) != 0 ? kFontBold : 0;
    w.symbolSize = OziInt(OziField(f, 18), 17);
    list.AddWaypoint(w);
    ++added;
  }
  if (reader.Failed()) return OziReadFailed(fileName, reader.LineNumber() + 1);
  Log(Translate("%d waypoints loaded from file: %s"), added, fileName.c_str());
  return true;
}

}  // namespace tk

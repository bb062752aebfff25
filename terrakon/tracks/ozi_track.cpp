#include "terrakon/tracks/ozi_track.h"

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/geodesy/ozi_datums.h"
#include "terrakon/tracks/ozi_position.h"
#include "terrakon/tracks/ozi_text.h"
#include "terrakon/tracks/track.h"

namespace tk {
namespace {

constexpr const char* kHeader = "OziExplorer Track Point File Version 2.1";
constexpr std::size_t kPointFields = 5;

int TypeCode(int32_t type) { return type == kTrackArea ? 10 : type == kTrackAlarm ? 20 : 0; }
int32_t TypeOfCode(int32_t code) { return code == 10 ? kTrackArea : code == 20 ? kTrackAlarm : kTrackLine; }

std::string PointLine(const TrackPoint& p) {
  std::string line = OziFixed(Google2Y(p.Y));
  line += ',';
  line += OziFixed(Google2X(p.X) - 180);
  line += ',';
  line += std::to_string(p.segment);
  line += ',';
  line += std::to_string(p.altitude);
  line += ',';
  const DateTime& t = p.dateTime;
  if (t.IsEmpty()) {
    line += "0,,";
  } else {
    line += OziFixed(DateTimeToDays(t));
    line += FormatText(",%02d-%02d-%d,%02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
  }
  line += "\r\n";
  return line;
}

}  // namespace

bool WriteOziTrack(const Track& track, const std::string& fileName, bool selectedOnly) {
  std::string points;
  int written = 0;
  for (const TrackPoint& p : track.Points()) {
    if (selectedOnly && p.state != 1) continue;
    points += PointLine(p);
    ++written;
  }
  std::string text = kHeader;
  text += "\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n";
  text += FormatText("0,%d,%d,%s,1,%d,%d,%d\r\n%d\r\n", track.lineWidth, static_cast<int32_t>(track.color),
                     OziFieldText(track.name).c_str(), TypeCode(track.type), track.fillStyle,
                     static_cast<int32_t>(track.fillColor), written);
  text += points;
  if (!WriteWholeTextFile(fileName, text)) return false;
  Log(Translate("%d track points saved to file: %s"), written, fileName.c_str());
  return true;
}

bool ReadOziTrack(Track& track, const std::string& fileName) {
  OziLineReader reader;
  if (!reader.Open(fileName)) return false;
  int32_t datum = 0;
  int point = 0;
  bool countGiven = true;
  std::string line;
  while (reader.Next(line)) {
    const int n = reader.LineNumber();
    const OziHeadLine head = ReadOziHeadLine(n, line, kHeader, &datum, fileName);
    if (head == OziHeadLine::kFailed) return false;
    if (head == OziHeadLine::kRead) continue;
    if (n <= 4) continue;
    if (n == 5) {
      const std::vector<std::string_view> f = SplitOziFields(line);
      track.lineWidth = OziInt(OziField(f, 2), 1);
      track.color = static_cast<uint32_t>(OziInt(OziField(f, 3), 255));
      track.name = FixedText(OziTextFromField(OziField(f, 4)));
      track.type = TypeOfCode(OziInt(OziField(f, 6), 0));
      const int32_t style = OziInt(OziField(f, 7), 0);
      track.fillStyle = static_cast<uint8_t>(style >= 0 && style <= 7 ? style : 0);
      track.fillColor = static_cast<uint32_t>(OziInt(OziField(f, 8), 0xFFFFFF));
      continue;
    }
    if (n == 6) {
      // Other programs write 0 here and the points after it, so the count
      // alone does not make the file empty.
      countGiven = OziInt(line, 0) > 0;
      continue;
    }

    ++point;
    const std::vector<std::string_view> f = SplitOziFields(line);
    if (f.size() < kPointFields) {
      SetLastError(kErrorNotSupported);
      return OziReadFailed(fileName, n);
    }
    TrackPoint p = track.NewTrackPoint(0, 0);
    PixelPoint pixel;
    if (!ReadOziPosition(OziField(f, 1), OziField(f, 2), datum, point, &pixel))
      return OziReadFailed(fileName, n);
    p.X = pixel.X;
    p.Y = pixel.Y;
    p.segment = OziInt(OziField(f, 3), 0);
    p.altitude = OziAltitude(OziField(f, 4), 0);
    if (!ReadOziDateTime(OziField(f, 5), &p.dateTime)) {
      SetErrorText(Translate("Invalid %d-th waypoint time: %s"), point, std::string(OziField(f, 5)).c_str());
      return OziReadFailed(fileName, n);
    }
    track.AddTrackPoint(p);
  }
  if (reader.Failed()) return OziReadFailed(fileName, reader.LineNumber() + 1);
  if (!countGiven && point == 0) {
    SetErrorText("%s", Translate("Track has no points"));
    return OziReadFailed(fileName, 6);
  }
  Log(Translate("%d track points loaded from file: %s"), point, fileName.c_str());
  return true;
}

}  // namespace tk

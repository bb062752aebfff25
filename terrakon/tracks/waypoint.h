// A waypoint: a named, labelled point of the map, and the display settings
// that every waypoint of one list shares.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "terrakon/tracks/date_time.h"

namespace tk {

class HStorageLink;

inline constexpr int32_t kNoAltitude = -777;
inline constexpr uint32_t kNoColor = 0x1FFFFFFF;  // colours are 0x00BBGGRR
inline constexpr uint16_t kFontBold = 1;
inline constexpr uint16_t kFontItalic = 2;

struct WaypointSettings {
  std::string font = "MS Sans Serif";
  uint32_t selectionForeground = 0xFFFF;
  uint32_t selectionBackground = 0x800000;
  int32_t defaultAltitude = kNoAltitude;
  uint32_t defaultForeground = 0;
  uint32_t defaultBackground = 0xFFFF;
  int32_t defaultFontSize = 8;        // points
  uint16_t defaultFontStyle = 0;
  int32_t defaultSymbolSize = 17;     // screen pixels
  int64_t defaultCorrectionX = 0;     // pixel-space units
  int64_t defaultCorrectionY = 0;
  int64_t globalCorrectionX = 0;      // added to every waypoint when drawn
  int64_t globalCorrectionY = 0;
};

// "" for the waypoint list, "SP/" for the simple places list (whose keys are
// only read and whose corrections are 32-bit values).
inline constexpr std::string_view kPlacesPrefix = "SP/";
void LoadWaypointSettings(const HStorageLink& link, std::string_view prefix, WaypointSettings* settings);

struct Waypoint {
  int64_t X = 0;  // pixel space, datum 0
  int64_t Y = 0;
  int32_t altitude = kNoAltitude;
  DateTime dateTime;
  int64_t correctionX = 0;  // own correction [pixel-space units], added when drawn
  int64_t correctionY = 0;
  int32_t number = 0;       // position in the list
  std::string name;         // at most kFixedTextChars, see FixedText
  std::string description;
  uint32_t foreground = 0;
  uint32_t background = 0;
  int32_t fontSize = 8;
  uint16_t fontStyle = 0;   // kFontBold, kFontItalic
  int32_t symbolSize = 17;  // smallest label box [screen pixels]
  uint16_t state = 0;       // 0 normal, 1 selected
  int32_t visible = 1;
  // Called with the waypoint's number after the editor changed it; bound by
  // the list that stores the waypoint.
  std::function<void(int32_t)> changed;
  const WaypointSettings* settings = nullptr;
};

}  // namespace tk

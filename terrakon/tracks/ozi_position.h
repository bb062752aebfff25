// Positions and times as the OziExplorer readers take them.
#pragma once

#include <cstdint>
#include <string_view>

#include "terrakon/plates/pixel_space.h"
#include "terrakon/tracks/date_time.h"

namespace tk {

// Longitude -180 ... 180, latitude -90 ... 90 [degrees].
bool OziDegreesInRange(double lon, double lat);
// The pixel point of a position in the datum. Near the poles Mercator runs
// to infinity, so Y is held within a world's height beyond either edge.
bool OziToPixel(double lon, double lat, int32_t datum, PixelPoint* p);
// The record's latitude and longitude fields as a pixel point; on failure the
// error text names the record ("Error in %d-th waypoint coordinates", or
// "... coordinate conversion").
bool ReadOziPosition(std::string_view latField, std::string_view lonField, int32_t datum,
                     int record, PixelPoint* p);
// Empty or "0": no date-time; else days since 30 December 1899. False for
// a field that is no number or no date.
bool ReadOziDateTime(std::string_view field, DateTime* out);

}  // namespace tk

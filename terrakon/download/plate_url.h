// Request URLs: the configured base URLs ("GEBase", several separated by
// the byte 7), used in turn, with the plate put into each.
//
// Placeholders in a base URL: {z} zoom level, {x} column, {y} row counted
// from the north (2^z - 1 - row), {ty} row counted from the south, {key} the
// plate key, {quadkey} the key in the digits of quadkey services (q 0, r 1,
// t 2, s 3). A base URL without any of them gets the key appended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "terrakon/download/request.h"

namespace tk {

inline constexpr char kBaseUrlSeparator = '\x07';

// The URL of one plate from one base URL.
std::string PlateUrl(std::string_view baseUrl, int64_t column, int64_t row, int zoom, std::string_view key);

// The base URL list PrepareRequest uses; the default is the "GEBase"
// default. Safe from any thread.
void SetBaseUrls(std::string_view list);
std::string BaseUrls();

// Fills the request for the plate: the key (at most 32 characters of the
// given one, else made from column, row and zoom) and the URL from the next
// base URL in turn. False with the thread's error: "INET not inited" before
// StartDownloader, "Google base urls list is empty".
bool PrepareRequest(GRequest& request, int64_t column, int64_t row, int zoom,
                    std::optional<std::string_view> key);

}  // namespace tk

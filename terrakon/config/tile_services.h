// The tile service's known endpoints, offered as menu entries and used as
// the default base URL. A base URL is host + path + "?" + query; the plate
// key is appended to it when a plate is fetched.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace tk {

// The hosts are placeholders under a reserved domain that never resolves:
// the user enters the real service in the options ("GEBase").
inline constexpr std::string_view kEarthTileHost = "http://earth.tiles.invalid";
inline constexpr std::string_view kMarsTileHost = "http://mars.tiles.invalid";
inline constexpr std::string_view kMoonTileHost = "http://moon.tiles.invalid";

inline constexpr std::string_view kEarthTilePath = "/kh";
inline constexpr std::string_view kEarthTileQuery = "v=11&n=404&t=t";
inline constexpr std::string_view kMarsTilePath = "/movl";
inline constexpr std::string_view kMarsTileQuery = "ov=52&n=404&t=t";
inline constexpr std::string_view kMoonTilePath = "/kh";
inline constexpr std::string_view kMoonTileQuery = "v=2&n=404&t=t";
inline constexpr std::string_view kTileQueryMark = "?";

// Texts joined at compile time, so each part above is written once.
template <const std::string_view&... Parts>
struct JoinedText {
  static constexpr std::size_t kSize = (Parts.size() + ...);
  static constexpr std::array<char, kSize + 1> kChars = [] {
    std::array<char, kSize + 1> chars{};
    std::size_t at = 0;
    ((std::copy(Parts.begin(), Parts.end(), chars.begin() + at), at += Parts.size()), ...);
    return chars;
  }();
  static constexpr std::string_view kText{kChars.data(), kSize};
};

struct TileServiceEndpoint {
  std::string_view caption;  // menu caption, translated when shown
  std::string_view host;
  std::string_view path;
  std::string_view query;
  std::string_view baseUrl;
};

inline constexpr TileServiceEndpoint kKnownTileServices[] = {
    {"Google earth: Earth", kEarthTileHost, kEarthTilePath, kEarthTileQuery,
     JoinedText<kEarthTileHost, kEarthTilePath, kTileQueryMark, kEarthTileQuery>::kText},
    {"Google earth: Mars", kMarsTileHost, kMarsTilePath, kMarsTileQuery,
     JoinedText<kMarsTileHost, kMarsTilePath, kTileQueryMark, kMarsTileQuery>::kText},
    {"Google earth: Moon", kMoonTileHost, kMoonTilePath, kMoonTileQuery,
     JoinedText<kMoonTileHost, kMoonTilePath, kTileQueryMark, kMoonTileQuery>::kText},
};

// Entry 0, the Earth, is the default of "GEBase".
inline constexpr std::string_view kDefaultTileBaseUrl = kKnownTileServices[0].baseUrl;

}  // namespace tk

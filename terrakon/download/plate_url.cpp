#include "terrakon/download/plate_url.h"

#include <atomic>
#include <mutex>

#include "common/error.h"
#include "common/paths.h"
#include "terrakon/config/tile_services.h"
#include "terrakon/download/inet_session.h"
#include "terrakon/plates/pixel_space.h"
#include "terrakon/plates/plate_key.h"

namespace tk {
namespace {

constexpr std::size_t kMaxRequestKey = 32;

std::mutex g_baseUrlsMutex;
std::string g_baseUrls{kDefaultTileBaseUrl};
std::atomic<uint32_t> g_baseUrlCounter{0};  // spreads requests over the base URLs

char QuadkeyDigit(char letter) {
  switch (letter) {
    case 'q': return '0';
    case 'r': return '1';
    case 't': return '2';
    case 's': return '3';
    default: return letter;
  }
}

// The placeholder's text at the start of rest, with its length; 0 when
// rest does not start with one.
std::size_t Placeholder(std::string_view rest, int64_t column, int64_t row, int zoom, std::string_view key,
                        std::string& out) {
  const int z = zoom < 0 ? 0 : (zoom > kMaxZoom ? kMaxZoom : zoom);
  auto starts = [&](std::string_view name) { return rest.substr(0, name.size()) == name; };
  if (starts("{z}")) {
    out += std::to_string(zoom);
    return 3;
  }
  if (starts("{x}")) {
    out += std::to_string(column);
    return 3;
  }
  if (starts("{y}")) {
    out += std::to_string(((int64_t{1} << z) - 1) - row);
    return 3;
  }
  if (starts("{ty}")) {
    out += std::to_string(row);
    return 4;
  }
  if (starts("{key}")) {
    out += key;
    return 5;
  }
  if (starts("{quadkey}")) {
    for (char c : key) out += QuadkeyDigit(c);
    return 9;
  }
  return 0;
}

}  // namespace

std::string PlateUrl(std::string_view baseUrl, int64_t column, int64_t row, int zoom, std::string_view key) {
  std::string url;
  url.reserve(baseUrl.size() + key.size() + 16);
  bool expanded = false;
  for (std::size_t i = 0; i < baseUrl.size();) {
    if (baseUrl[i] == '{') {
      if (std::size_t used = Placeholder(baseUrl.substr(i), column, row, zoom, key, url)) {
        i += used;
        expanded = true;
        continue;
      }
    }
    url += baseUrl[i++];
  }
  if (!expanded) url += key;
  return url;
}

void SetBaseUrls(std::string_view list) {
  std::lock_guard lock(g_baseUrlsMutex);
  g_baseUrls = list;
  g_baseUrlCounter = 0;  // a new list starts with its first URL
}

std::string BaseUrls() {
  std::lock_guard lock(g_baseUrlsMutex);
  return g_baseUrls;
}

bool PrepareRequest(GRequest& request, int64_t column, int64_t row, int zoom,
                    std::optional<std::string_view> key) {
  if (!DownloaderStarted()) {
    SetErrorText("INET not inited");
    return false;
  }
  request.column = column;
  request.row = row;
  request.zoom = zoom;
  request.key = key ? std::string(key->substr(0, kMaxRequestKey)) : PlateKeyText(column, row, zoom);

  const std::string list = BaseUrls();
  if (list.empty()) {
    SetErrorText("Google base urls list is empty");
    return false;
  }
  std::size_t count = 1;
  for (char c : list) count += c == kBaseUrlSeparator;
  std::size_t item = g_baseUrlCounter.fetch_add(1, std::memory_order_relaxed) % count;
  std::size_t begin = 0;
  for (; item > 0; --item) begin = list.find(kBaseUrlSeparator, begin) + 1;
  std::size_t end = list.find(kBaseUrlSeparator, begin);
  std::string_view base = std::string_view(list).substr(begin, end == std::string::npos ? end : end - begin);

  std::string url = PlateUrl(base, column, row, zoom, request.key);
  request.urlLength = static_cast<int32_t>(url.size() > INT32_MAX ? INT32_MAX : url.size());
  request.url = CutToMaxPath(url);
  return true;
}

}  // namespace tk

// One download request, a plain record copied by value into the queue.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

struct GRequest {
  // Plate column; while a worker handles the request it holds that worker's
  // (negative) number instead: a request with a negative column is claimed.
  int64_t column = 0;
  int64_t row = 0;       // plate row, counted from the south
  int32_t zoom = 0;      // zoom level, the key's length
  std::string key;       // at most 32 characters
  std::string url;       // at most 260 characters; a longer URL is cut
  int32_t urlLength = 0; // the formatted URL's full length, also when it was cut
};

}  // namespace tk

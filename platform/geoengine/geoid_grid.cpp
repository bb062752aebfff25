#include "platform/geoengine/geoid_grid.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace tk {
namespace {

constexpr std::size_t kHeaderBytes = 40;
// A global grid of 1' steps has 233 million nodes; nothing finer is accepted.
constexpr int64_t kMaxNodes = int64_t{10801} * 21600;
constexpr float kNoData = -88.8888f;  // the GTX marker of a node without a value
constexpr double kSlack = 1e-9;       // [degrees]

struct Header {
  double lat0, lon0, dlat, dlon;  // [degrees]
  int32_t rows, cols;
};

uint64_t LoadBigEndian64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
}

uint32_t LoadBigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

Header ReadHeader(const unsigned char* p) {
  Header h;
  h.lat0 = std::bit_cast<double>(LoadBigEndian64(p));
  h.lon0 = std::bit_cast<double>(LoadBigEndian64(p + 8));
  h.dlat = std::bit_cast<double>(LoadBigEndian64(p + 16));
  h.dlon = std::bit_cast<double>(LoadBigEndian64(p + 24));
  h.rows = static_cast<int32_t>(LoadBigEndian32(p + 32));
  h.cols = static_cast<int32_t>(LoadBigEndian32(p + 36));
  return h;
}

bool SaneHeader(const Header& h, std::size_t size) {
  if (!std::isfinite(h.lat0) || !std::isfinite(h.lon0) || !std::isfinite(h.dlat) ||
      !std::isfinite(h.dlon))
    return false;
  if (h.dlat <= 0 || h.dlon <= 0 || h.dlat > 180 || h.dlon > 360) return false;
  if (h.rows < 2 || h.cols < 2) return false;
  const int64_t nodes = int64_t{h.rows} * h.cols;
  if (nodes > kMaxNodes) return false;
  if (static_cast<uint64_t>(size) != kHeaderBytes + static_cast<uint64_t>(nodes) * 4) return false;
  if (h.lat0 < -90 - kSlack || h.lat0 + (h.rows - 1) * h.dlat > 90 + kSlack) return false;
  if (h.lon0 < -360 || h.lon0 > 360) return false;
  // At most one column repeats the first one.
  return (h.cols - 1) * h.dlon <= 360 + kSlack;
}

struct Grid {
  Header h{};
  int wrapCols = 0;  // columns of a grid that spans the globe, 0 otherwise
  std::vector<float> heights;  // [m], NaN without data
};

Grid g_grid;
bool g_loaded = false;

}  // namespace

bool CheckGeoidPtr(const void* data, std::size_t size) {
  if (!data || size < kHeaderBytes) return false;
  return SaneHeader(ReadHeader(static_cast<const unsigned char*>(data)), size);
}

int InitializeGeoidPtr(const void* data, std::size_t size) {
  if (!CheckGeoidPtr(data, size)) return 1;
  const auto* bytes = static_cast<const unsigned char*>(data);
  Grid grid;
  grid.h = ReadHeader(bytes);
  const double span = grid.h.cols * grid.h.dlon;
  if (std::fabs(span - 360) < 1e-6) {
    grid.wrapCols = grid.h.cols;
  } else if (std::fabs(span - 360 - grid.h.dlon) < 1e-6) {
    grid.wrapCols = grid.h.cols - 1;  // the last column repeats the first
  }
  const std::size_t nodes = static_cast<std::size_t>(grid.h.rows) * grid.h.cols;
  grid.heights.resize(nodes);
  const unsigned char* p = bytes + kHeaderBytes;
  for (std::size_t i = 0; i < nodes; ++i, p += 4) {
    const float v = std::bit_cast<float>(LoadBigEndian32(p));
    grid.heights[i] = std::isfinite(v) && v != kNoData ? v : std::numeric_limits<float>::quiet_NaN();
  }
  g_grid = std::move(grid);
  g_loaded = true;
  return 0;
}

int GetGeoidHeightG(double latDeg, double lon180, double* height) {
  if (!g_loaded || !height || !std::isfinite(latDeg) || !std::isfinite(lon180)) return 1;
  const Header& h = g_grid.h;
  const double row = (latDeg - h.lat0) / h.dlat;
  if (row < -kSlack || row > h.rows - 1 + kSlack) return 2;
  double col = (lon180 - 180 - h.lon0) / h.dlon;
  if (g_grid.wrapCols) {
    col = std::fmod(col, g_grid.wrapCols);
    if (col < 0) col += g_grid.wrapCols;
  } else if (col < -kSlack || col > h.cols - 1 + kSlack) {
    return 2;
  }
  int r0 = static_cast<int>(std::floor(row)), c0 = static_cast<int>(std::floor(col));
  r0 = r0 < 0 ? 0 : r0 > h.rows - 2 ? h.rows - 2 : r0;
  const double fr = std::fmin(std::fmax(row - r0, 0.0), 1.0);
  int c1;
  double fc;
  if (g_grid.wrapCols) {
    if (c0 >= g_grid.wrapCols) c0 = 0;  // fmod may round up to the period
    c1 = c0 + 1 == g_grid.wrapCols ? 0 : c0 + 1;
    fc = std::fmin(std::fmax(col - c0, 0.0), 1.0);
  } else {
    c0 = c0 < 0 ? 0 : c0 > h.cols - 2 ? h.cols - 2 : c0;
    c1 = c0 + 1;
    fc = std::fmin(std::fmax(col - c0, 0.0), 1.0);
  }
  const float* south = g_grid.heights.data() + static_cast<std::size_t>(r0) * h.cols;
  const float* north = south + h.cols;
  const double v = (1 - fr) * ((1 - fc) * south[c0] + fc * south[c1]) +
                   fr * ((1 - fc) * north[c0] + fc * north[c1]);
  if (std::isnan(v)) return 3;
  *height = v;
  return 0;
}

void UnloadGeoid() {
  g_grid = Grid{};
  g_loaded = false;
}

}  // namespace tk

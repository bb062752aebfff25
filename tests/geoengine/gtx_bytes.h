// GTX grid files built in memory for tests.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace tk::testing {

inline void PutBigEndian(std::string* out, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

struct GtxHeader {
  double lat0, lon0, dlat, dlon;
  int32_t rows, cols;
};

inline std::string GtxFile(const GtxHeader& h, const std::vector<float>& heights) {
  std::string out;
  for (double d : {h.lat0, h.lon0, h.dlat, h.dlon}) PutBigEndian(&out, std::bit_cast<uint64_t>(d), 8);
  PutBigEndian(&out, static_cast<uint32_t>(h.rows), 4);
  PutBigEndian(&out, static_cast<uint32_t>(h.cols), 4);
  for (float f : heights) PutBigEndian(&out, std::bit_cast<uint32_t>(f), 4);
  return out;
}

// The height stored at node (row, col) of a GTX file's bytes.
inline float GtxNode(const std::string& file, int cols, int row, int col) {
  const std::size_t at = 40 + (static_cast<std::size_t>(row) * cols + col) * 4;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(file[at + i]);
  return std::bit_cast<float>(v);
}

}  // namespace tk::testing

#include "common/size_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tk {
namespace {

TEST(SizeText, StepsOfThousand) {
  struct Row {
    std::uint64_t value;
    const char* text;
  };
  // Worked by hand: quotient of the last step, its remainder as three digits.
  const Row rows[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1.000K"},
      {12345, "12.345K"},
      {999999, "999.999K"},
      {1000000, "1.000M"},
      {1001001, "1.001M"},
      {19660800, "19.660M"},  // 100 plates of 196608 bytes
      {1500000000ull, "1.500G"},
      {1000000000000ull, "1.000T"},
      {1000000000000000ull, "1.000P"},
      {UINT64_MAX, "18.446E"},
  };
  for (const Row& row : rows) EXPECT_EQ(SizeText(row.value), row.text) << row.value;
}

}  // namespace
}  // namespace tk

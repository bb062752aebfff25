#include <gtest/gtest.h>

#include "platform/geoengine/geo_engine.h"

namespace tk {
namespace {

TEST(ValidNumber, AcceptsPlainDecimalsOnly) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"0", true},      {"12.5", true},   {"-12.5", true}, {"+3", true},   {".5", true},
      {"5.", true},     {" 7 ", true},    {"\t1.5", true}, {"", false},    {" ", false},
      {"-", false},     {".", false},     {"1.2.3", false}, {"1e5", false}, {"1,5", false},
      {"0x10", false},  {"inf", false},   {"nan", false},  {"1 2", false}, {"--1", false},
      {"12a", false},   {"+-1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ValidNumber(c.text), c.valid) << '"' << c.text << '"';
  EXPECT_FALSE(ValidNumber(std::string_view("1\0" "2", 3)));
}

TEST(Angles, DegreesAndRadians) {
  EXPECT_DOUBLE_EQ(G2Rad(180), 3.141592653589793);
  EXPECT_DOUBLE_EQ(Rad2G(G2Rad(37.5)), 37.5);
}

}  // namespace
}  // namespace tk

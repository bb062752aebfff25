#include "platform/geoengine/datum_table.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "platform/geoengine/geo_engine.h"

namespace tk {
namespace {

constexpr const char* kHeader = "code,name,ellipsoid,a,rf,method,dx,dy,dz,rx,ry,rz,ds\n";
constexpr const char* kWgs84 = "WGE,World Geodetic System 1984,WE,6378137,298.257223563,translation,0,0,0,0,0,0,0\n";

TEST(DatumTable, ShippedTableLoadsWithWgs84First) {
  std::vector<Datum> datums;
  std::string error;
  ASSERT_TRUE(LoadDatumTable(ProgramRelativePath(kDatumTableFile), &datums, &error)) << error;
  ASSERT_EQ(datums.size(), 230u);
  EXPECT_EQ(datums[0].code, "WGE");
  EXPECT_EQ(datums[1].code, "WGC");
  EXPECT_EQ(datums[1].method, ShiftMethod::kWgs72);
  // A quoted name with a comma, and a seven-parameter row.
  EXPECT_EQ(datums[2].name, "ADINDAN, Mean");
  EXPECT_EQ(datums.back().code, "OGB-7");
  EXPECT_EQ(datums.back().method, ShiftMethod::kHelmert);
  EXPECT_DOUBLE_EQ(datums.back().ds, -20.8927);
}

TEST(DatumTable, CommentsAndCrLfAreAccepted) {
  std::vector<Datum> datums;
  std::string error;
  const std::string text = std::string("# comment\r\n") + kHeader + kWgs84 +
                           "\"X-1\",\"Name, \"\"quoted\"\"\",IN,6378388,297,translation,-87,-98,-121,0,0,0,0\r\n";
  ASSERT_TRUE(ParseDatumTable(text, &datums, &error)) << error;
  ASSERT_EQ(datums.size(), 2u);
  EXPECT_EQ(datums[1].name, "Name, \"quoted\"");
  EXPECT_DOUBLE_EQ(datums[1].dz, -121);
}

TEST(DatumTable, GarbageIsRefusedWithTheLine) {
  const struct {
    const char* what;
    std::string text;
    const char* message;
  } cases[] = {
      {"empty", "", "no datum"},
      {"no header", kWgs84, "line 1: expected the header"},
      {"fields", std::string(kHeader) + "WGE,x\n", "line 2: expected 13 fields"},
      {"open quote", std::string(kHeader) + kWgs84 + "\"A,B,IN,6378388,297,translation,0,0,0,0,0,0,0\n",
       "line 3: expected 13 fields"},
      {"first not WGS 84", std::string(kHeader) + "EUR,E,IN,6378388,297,translation,-87,-98,-121,0,0,0,0\n",
       "line 2: the first datum must be WGS 84"},
      {"duplicate", std::string(kHeader) + kWgs84 + kWgs84, "line 3: duplicate datum code WGE"},
      {"axis", std::string(kHeader) + kWgs84 + "A,A,IN,63,297,translation,0,0,0,0,0,0,0\n",
       "line 3: bad ellipsoid"},
      {"number", std::string(kHeader) + kWgs84 + "A,A,IN,6378388,297,translation,1x,0,0,0,0,0,0\n",
       "line 3: bad shift parameter 1x"},
      {"nan", std::string(kHeader) + kWgs84 + "A,A,IN,6378388,297,translation,nan,0,0,0,0,0,0\n",
       "line 3: bad shift parameter"},
      {"method", std::string(kHeader) + kWgs84 + "A,A,IN,6378388,297,molodensky,0,0,0,0,0,0,0\n",
       "line 3: unknown method"},
      {"rotation", std::string(kHeader) + kWgs84 + "A,A,IN,6378388,297,translation,0,0,0,1,0,0,0\n",
       "line 3: a translation has no rotations"},
      {"long line", std::string(kHeader) + kWgs84 + std::string(2000, 'x') + "\n",
       "line 3: line is too long"},
  };
  for (const auto& c : cases) {
    std::vector<Datum> datums;
    std::string error;
    EXPECT_FALSE(ParseDatumTable(c.text, &datums, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

TEST(DatumTable, EngineRefusesAMissingTableAndForgetsTheOldOne) {
  ASSERT_EQ(InitializeEngine(), 0) << GetError();
  EXPECT_NE(InitializeEngine("/nonexistent/datums.csv"), 0);
  EXPECT_NE(std::string(GetError()).find("/nonexistent/datums.csv"), std::string::npos);
  EXPECT_EQ(DatumCountS(), 0);
  ConvertedCoord c;
  EXPECT_FALSE(ConvertCoord(0, 0, 0, 0, 0, &c));
  ASSERT_EQ(InitializeEngine(), 0) << GetError();
  EXPECT_EQ(DatumCountS(), 230);
}

TEST(DatumTable, EngineLooksUpCodesAndNames) {
  ASSERT_EQ(InitializeEngine(), 0) << GetError();
  EXPECT_EQ(DatumIndexS("WGE"), 0);
  EXPECT_EQ(DatumIndexS("wgc"), 1);
  EXPECT_EQ(DatumIndexS(nullptr), -1);
  EXPECT_EQ(DatumIndexS("WG"), -1);
  EXPECT_STREQ(DatumCodeS(DatumIndexS("EUR-M")), "EUR-M");
  EXPECT_STREQ(DatumNameS(0), "World Geodetic System 1984");
  EXPECT_STREQ(DatumNameS(-1), "");
  EXPECT_STREQ(DatumCodeS(DatumCountS()), "");
}

}  // namespace
}  // namespace tk

#include "terrakon/geodesy/ozi_datums.h"

#include <gtest/gtest.h>

#include "platform/geoengine/geo_engine.h"
#include "tests/geodesy/geodesy_fixture.h"

namespace tk {
namespace {

class OziDatumsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseShippedEngine(); }
};

TEST_F(OziDatumsTest, EveryCodeOfTheTableIsAnEngineDatum) {
  ASSERT_EQ(OziDatumTable().size(), 121u);
  for (const OziDatumRow& row : OziDatumTable()) {
    if (row.code) {
      EXPECT_GE(DatumIndexS(row.code), 0) << row.name << " " << row.code;
    }
  }
}

TEST_F(OziDatumsTest, NamesResolveToTheFirstMatchingRow) {
  const struct {
    const char* name;
    const char* code;  // null: -1
  } cases[] = {
      {"WGS 84", "WGE"},
      {"wgs 84", "WGE"},
      {"WGS", "WGC"},  // the alternative name of WGS 72 comes first
      {"AUST", "AUA"},
      {"NAD", "NAS-C"},
      {"EUROP", "EUR-M"},
      {"PULKOVO", "PUK"},
      {"Adindan", "ADI-M"},
      {"adindan ", "ADI-M"},  // the alternative name keeps its blank
      {"European 1950 (Spain and Portugal)", "EUR-D"},
      {"s42", "SPK-E"},
      {"Egypt", nullptr},  // a row without a code
      {"CH", nullptr},
      {"Atlantis 1900", nullptr},
      {"", nullptr},
      {"WGS 84 ", nullptr},  // whole-text comparison
  };
  for (const auto& c : cases)
    EXPECT_EQ(DatumIndexByName(c.name), c.code ? DatumIndexS(c.code) : -1) << '"' << c.name << '"';
}

}  // namespace
}  // namespace tk

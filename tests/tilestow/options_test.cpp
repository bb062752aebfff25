// Switch matching of the utility's command line, one row per case.
#include "tilestow/options.h"

#include <gtest/gtest.h>

namespace tk::tilestow {
namespace {

TEST(TilestowOptionsTest, FlagsMatchByEquality) {
  struct Case {
    const char* argument;
    const char* alternatives;
    bool matches;
  } cases[] = {
      {"-s", "S;STAT", true},     {"/STAT", "S;STAT", true}, {"-Stat", "S;STAT", true},
      {"-st", "S;STAT", false},   {"-stats", "S;STAT", false}, {"s", "S;STAT", false},
      {"-?", "?", true},          {"/?", "?", true},         {"-q", "Q;QUITE", true},
      {"-quiet", "Q;QUITE", false}, {"-Move", "M;MOVE", true}, {"-LOAD", "LOAD", true},
      {"-l=x", "L;LIST", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FlagMatches(c.argument, c.alternatives), c.matches) << c.argument;
}

TEST(TilestowOptionsTest, ValuesMatchByPrefixAndEquals) {
  struct Case {
    const char* argument;
    const char* alternatives;
    const char* value;  // null: no match
  } cases[] = {
      {"-db=MoonQ", "DB", "MoonQ"},
      {"-DB=MoonQ", "DB", "MoonQ"},
      {"-d=MoonQ", "DB", nullptr},
      {"-dbx=MoonQ", "DB", nullptr},
      {"-db", "DB", nullptr},
      {"-db=", "DB", ""},
      {"-a=/srv/cache", "A;ADD", "/srv/cache"},
      {"-Add=/srv/cache", "A;ADD", "/srv/cache"},
      {"-ad=/srv/cache", "A;ADD", nullptr},
      {"/x=/srv/out", "X;EXTRACT", "/srv/out"},
      {"-prefix=qt", "P;PREFIX", "qt"},
      {"-z=5,7", "Z;ZOOM", "5,7"},
      {"-p=a=b", "P;PREFIX", "a=b"},
  };
  for (const Case& c : cases) {
    const auto value = ValueOf(c.argument, c.alternatives);
    ASSERT_EQ(value.has_value(), c.value != nullptr) << c.argument;
    if (c.value) {
      EXPECT_EQ(*value, c.value) << c.argument;
    }
  }
}

TEST(TilestowOptionsTest, SlashStartsASwitchUnlessItIsAPath) {
  EXPECT_TRUE(IsSwitch("-x"));
  EXPECT_TRUE(IsSwitch("/STAT"));
  EXPECT_TRUE(IsSwitch("/db=/srv/tiles/Moon"));
  EXPECT_FALSE(IsSwitch("/opt/tk/mbtiles.so"));
  EXPECT_FALSE(IsSwitch("mbtiles.so"));
  EXPECT_FALSE(IsSwitch(""));
}

TEST(TilestowOptionsTest, FirstMatchAndFirstPositionalCount) {
  const std::vector<std::string> args = {"-db=first", "one.so", "-DB=second", "/opt/two.so"};
  EXPECT_EQ(FindValue(args, "DB"), "first");
  EXPECT_EQ(FirstPositional(args), "one.so");
  EXPECT_EQ(FirstPositional({"-s", "/opt/tk/mbtiles.so"}), "/opt/tk/mbtiles.so");
  EXPECT_FALSE(FirstPositional({"-s"}).has_value());
}

}  // namespace
}  // namespace tk::tilestow

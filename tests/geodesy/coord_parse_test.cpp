#include "terrakon/geodesy/coord_parse.h"

#include <gtest/gtest.h>

#include <clocale>

#include "common/operation_abandoned.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/support/scripted_ui.h"

namespace tk {
namespace {

TEST(ParseNumber, ReadsDecimalNumbers) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"12.5", 12.5}, {" -0.25 ", -0.25}, {"+7", 7}, {".5", 0.5}, {"30", 30}};
  testing::ScriptedUi ui;
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseNumber(c.text), c.value) << c.text;
  EXPECT_TRUE(ui.events.empty());
}

TEST(ParseNumber, RefusesGarbageWithTheBoxAndAbandons) {
  // The last one passes the pattern but is beyond any double.
  const std::string garbage[] = {"", "abc", "1,5", "1e3", "12..", "--1", "0x1F", "nan", "1 2",
                                 std::string(400, '9')};
  for (const std::string& text : garbage) {
    testing::ScriptedUi ui;
    testing::LogCapture log;
    EXPECT_THROW(ParseNumber(text), OperationAbandoned) << text;
    const std::string message = "Number [" + text + "] is not vaid float value";
    ASSERT_EQ(ui.events.size(), 1u) << text;
    EXPECT_EQ(ui.events[0].kind, "error");
    EXPECT_EQ(ui.events[0].text, message);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{message});
  }
}

TEST(ParseNumber, IgnoresTheLocalesDecimalComma) {
  // A desktop session may run with a decimal comma; typed coordinates use '.'.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  EXPECT_DOUBLE_EQ(ParseNumber("1.5"), 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ParseDegrees, FieldsAndHemispheres) {
  using std::nullopt;
  // The degree text is truncated when minutes follow, the minutes when seconds follow.
  EXPECT_DOUBLE_EQ(ParseDegrees("12.9", "30", "0", 'S', false), -12.5);
  EXPECT_DOUBLE_EQ(ParseDegrees("10", "30.9", "36", 'N', false), 10.51);
  EXPECT_DOUBLE_EQ(ParseDegrees("12.9", "30", nullopt, 'N', false), 12.5);
  EXPECT_DOUBLE_EQ(ParseDegrees("12.25", nullopt, nullopt, 'S', false), -12.25);
  EXPECT_DOUBLE_EQ(ParseDegrees("37", "37.041667", nullopt, 'E', true), 180 + 37 + 37.041667 / 60);
  EXPECT_DOUBLE_EQ(ParseDegrees("10", nullopt, nullopt, 'W', true), 170);
  testing::ScriptedUi ui;
  EXPECT_THROW(ParseDegrees("10", "x", "0", 'N', false), OperationAbandoned);
  EXPECT_EQ(ui.events.at(0).text, "Number [x] is not vaid float value");
}

}  // namespace
}  // namespace tk

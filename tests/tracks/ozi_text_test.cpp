#include "terrakon/tracks/ozi_text.h"

#include <gtest/gtest.h>

#include <clocale>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

std::vector<std::string> Lines(const std::string& content, std::vector<int>* numbers = nullptr) {
  testing::TempDir dir;
  testing::WriteWholeFile(dir.File("f"), content);
  OziLineReader reader;
  EXPECT_TRUE(reader.Open(dir.File("f")));
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) {
    lines.push_back(line);
    if (numbers) numbers->push_back(reader.LineNumber());
  }
  EXPECT_FALSE(reader.Failed());
  return lines;
}

TEST(OziLineReader, TrimsSkipsEmptyLinesAndCutsAt199) {
  const std::string long250(250, 'x');
  std::vector<int> numbers;
  auto lines = Lines("\xEF\xBB\xBF  first \r\n\r\n   \n\tsecond\rhalf\n" + long250 + "\r\n" + std::string(199, 'y') +
                         "\r\nlast",
                     &numbers);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "first");
  EXPECT_EQ(lines[1], "second\rhalf");  // a lone CR ends no line
  EXPECT_EQ(lines[2], std::string(199, 'x'));
  EXPECT_EQ(lines[3], std::string(51, 'x'));
  EXPECT_EQ(lines[4], std::string(199, 'y'));  // its line end alone is an empty piece
  EXPECT_EQ(lines[5], "last");
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(OziLineReader, MissingFileGivesTheSystemError) {
  OziLineReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/dir/x.wpt"));
  EXPECT_EQ(GetLastError(), ENOENT);
}

TEST(OziFields, CountFromOneAndTrim) {
  auto f = SplitOziFields("1, a b ,,x");
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(OziField(f, 2), "a b");
  EXPECT_EQ(OziField(f, 3), "");
  EXPECT_EQ(OziField(f, 5), "");
  EXPECT_EQ(OziField(f, 0), "");
}

TEST(OziNumbers, IntegersFallBackToTheDefault) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {{"12", 12},     {"-777", -777}, {" 5 ", 5},      {"+5", 99},       {"5x", 99},
               {"", 99},       {"1.5", 99},    {"99999999999", 99}, {"65535", 65535}, {"-", 99}};
  for (const auto& c : cases) EXPECT_EQ(OziInt(c.text, 99), c.value) << c.text;
  EXPECT_EQ(OziAltitude("-777.0", 0), -777);
  EXPECT_EQ(OziAltitude("40.6", 0), 41);
  EXPECT_EQ(OziAltitude("1e5", 3), 3);
}

TEST(OziNumbers, DecimalsIgnoreTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  // A locale with a decimal comma, when the machine has one.
  bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(OziFixed(-33.5), "-33.500000");
  EXPECT_EQ(OziFixed(55.7512444), "55.751244");
  double v = 0;
  EXPECT_TRUE(OziDouble(" -12.25 ", &v));
  EXPECT_EQ(v, -12.25);
  EXPECT_TRUE(OziDouble("+.5", &v));
  EXPECT_EQ(v, 0.5);
  for (const char* bad : {"", "1,5", "1e3", "1.2.3", "-", "abc", "0x10", "inf", "nan"})
    EXPECT_FALSE(OziDouble(bad, &v)) << bad;
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_LOG_(INFO) << "no decimal-comma locale installed; C locale only";
}

TEST(OziFieldTexts, CommasAndLineBreaksCannotBreakALine) {
  const std::string name = "A,B\r\nЖук,";  // Cyrillic: UTF-8 lead bytes 0xD0, 0xD1
  const std::string field = OziFieldText(name);
  EXPECT_EQ(field.find_first_of(",\r\n"), std::string::npos);
  EXPECT_EQ(OziTextFromField(field), "A,B  Жук,");
  EXPECT_EQ(OziTextFromField("\xd1\x8f"), "\xd1\x8f");  // "я" stays
}

TEST(OziFiles, WholeFileOrNothing) {
  testing::TempDir dir;
  const std::string path = dir.File("a.txt");
  ASSERT_TRUE(WriteWholeTextFile(path, "new"));
  EXPECT_EQ(testing::ReadWholeFile(path), "new");
  EXPECT_FALSE(WriteWholeTextFile(dir.File("missing/a.txt"), "x"));
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(FixedText(std::string(300, 'a')).size(), 260u);
  EXPECT_EQ(FixedText(std::string(259, 'a') + "ж").size(), 259u);  // never half a character
}

}  // namespace
}  // namespace tk

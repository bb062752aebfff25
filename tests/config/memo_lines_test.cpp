#include "terrakon/config/memo_lines.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

using Lines = std::vector<std::string>;

TEST(MemoLines, SaveTrimsAndDropsEmptyAndCommentLines) {
  struct Case {
    Lines lines;
    std::string stored;
  } cases[] = {
      {{}, ""},
      {{"a", "b"}, "a\x07"
                   "b"},
      {{"  http://a/ \r\n", "\r\n", "", "   "}, "http://a/"},
      {{"# note", ";off", "  #indented", "x#y", "tab\t"}, "x#y\x07tab\t"},
      {{" one two "}, "one two"},
  };
  for (const Case& c : cases) EXPECT_EQ(SaveMemoLines(c.lines), c.stored) << c.stored;
}

TEST(MemoLines, LoadSplitsOnSeven) {
  EXPECT_EQ(LoadMemoLines(""), Lines{});
  EXPECT_EQ(LoadMemoLines("one"), Lines{"one"});
  EXPECT_EQ(LoadMemoLines("a\x07"
                          "b\x07"
                          "c"),
            (Lines{"a", "b", "c"}));
  const Lines lines = {"http://x/kh?v=1", "http://y/kh?v=2"};
  EXPECT_EQ(LoadMemoLines(SaveMemoLines(lines)), lines);
}

}  // namespace
}  // namespace tk

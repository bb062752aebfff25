#include "platform/i18n/dictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"

namespace tk {
namespace {

const std::string kHead = "TKDICT 1\tEnglish\tDeutsch\n";

TEST(Dictionary, ReadsEntriesEscapesAndLineEndings) {
  Dictionary dictionary;
  ASSERT_TRUE(dictionary.Parse("\xEF\xBB\xBF# comment\r\n" + kHead +
                               "A\tB\r\n"
                               "  spaced  \t  kept  \n"
                               "%-5.2f%%\t%g%%\n"
                               "untranslated\t\n"
                               "last line without LF\tletzte"))
      << ErrorText();
  EXPECT_EQ(dictionary.Languages(), (std::vector<std::string>{"English", "Deutsch"}));
  EXPECT_EQ(dictionary.size(), 5u);
  EXPECT_STREQ(dictionary.Find("A", 1), "B");
  EXPECT_STREQ(dictionary.Find("  spaced  ", 1), "  kept  ");
  EXPECT_STREQ(dictionary.Find("%-5.2f%%", 1), "%g%%");
  EXPECT_STREQ(dictionary.Find("last line without LF", 1), "letzte");
  EXPECT_EQ(dictionary.Find("untranslated", 1), nullptr);
  EXPECT_EQ(dictionary.Find("A", 0), nullptr);  // language 0 is the text itself
  EXPECT_EQ(dictionary.Find("A", 2), nullptr);
  EXPECT_EQ(dictionary.Find("missing", 1), nullptr);
}

TEST(Dictionary, MalformedFilesNameTheLineAndChangeNothing) {
  struct Row {
    std::string content;
    const char* error;
  };
  const Row rows[] = {
      {"", "line 1: the file does not begin with \"TKDICT 1\""},
      {"# only a comment\n", "line 1: the file does not begin with \"TKDICT 1\""},
      {"A\tB\n", "line 1: the file does not begin with \"TKDICT 1\""},
      {"TKDICT 2\tEnglish\n", "line 1: the file does not begin with \"TKDICT 1\""},
      {"TKDICT 1\n", "line 1: no language named after the format tag"},
      {"TKDICT 1\tEnglish\t\n", "line 1: language 1 has no name"},
      {kHead + "A\tB\tC\n", "line 2: 3 texts for 2 languages"},
      {kHead + "A\\q\tB\n", "line 2: unknown escape \"\\q\""},
      {kHead + "A\tB\\\n", "line 2: backslash at the end of a text"},
      {kHead + "\tB\n", "line 2: the program's text is empty"},
      {kHead + "A\x01\tB\n", "line 2: control character 0x01 (write \\t, \\n or \\r)"},
      {kHead + "A\tB\rC\n", "line 2: control character 0x0D (write \\t, \\n or \\r)"},
      {kHead + "A\t\xC3(\n", "line 2: the text is not UTF-8"},
      {kHead + "A\t\xC0\xAF\n", "line 2: the text is not UTF-8"},  // overlong '/'
      {kHead + "# c\n\nA\tB\nA\tC\n", "line 5: the text is already on line 4"},
      {kHead + "File %s\tDatei %d\n", "line 2: the Deutsch text has other % conversions than the program's text"},
      {kHead + "File %s\tDatei %s %s\n", "line 2: the Deutsch text has other % conversions than the program's text"},
      {kHead + "File %s\t%n\n", "line 2: the Deutsch text has other % conversions than the program's text"},
      {kHead + "%d\t%*d\n", "line 2: the Deutsch text has other % conversions than the program's text"},
      {kHead + "%lld\t%d\n", "line 2: the Deutsch text has other % conversions than the program's text"},
      {kHead + "100%%\t100%\n", "line 2: the Deutsch text has other % conversions than the program's text"},
  };
  for (const Row& row : rows) {
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.Parse(kHead + "keep\tbehalten\n"));
    SetLastError(0);
    EXPECT_FALSE(dictionary.Parse(row.content)) << row.error;
    EXPECT_EQ(GetLastError(), kErrorText);
    EXPECT_EQ(ErrorText(), row.error);
    EXPECT_STREQ(dictionary.Find("keep", 1), "behalten") << row.error;
  }
}

TEST(Dictionary, LoadNamesTheFileInItsErrors) {
  Dictionary dictionary;
  ASSERT_TRUE(dictionary.Load(TK_FIXTURES "/test.mld")) << ErrorText();
  EXPECT_EQ(dictionary.Languages().size(), 3u);
  EXPECT_FALSE(dictionary.Load(TK_FIXTURES "/no-such.mld"));
  EXPECT_EQ(ErrorText(), TK_FIXTURES "/no-such.mld: No such file or directory");
  EXPECT_FALSE(dictionary.Load(TK_FIXTURES));  // a folder
  EXPECT_EQ(ErrorText().rfind(TK_FIXTURES ": ", 0), 0u) << ErrorText();
  EXPECT_EQ(dictionary.Languages().size(), 3u);
}

}  // namespace
}  // namespace tk

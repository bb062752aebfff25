#include "platform/i18n/translate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

const std::string kTestDictionary = TK_FIXTURES "/test.mld";

struct TranslateTest : ::testing::Test {
  ~TranslateTest() override {
    UnloadDictionary();
    SetLanguage(0);
  }
};

TEST_F(TranslateTest, WithoutDictionaryTheTextItself) {
  UnloadDictionary();
  const char* text = "Shutting down...";
  EXPECT_EQ(Translate(text), text);
  EXPECT_EQ(Translate(nullptr), nullptr);
  EXPECT_FALSE(DictionaryLoaded());
  EXPECT_TRUE(LanguageNames().empty());
  EXPECT_STREQ(kDictionaryFileName, "Terrakon.mld");
}

TEST_F(TranslateTest, LooksUpTheChosenLanguage) {
  ASSERT_TRUE(LoadDictionary(kTestDictionary)) << ErrorText();
  EXPECT_EQ(LanguageNames(), (std::vector<std::string>{"English", "Deutsch", "Français"}));
  const char* text = "Shutting down...";
  EXPECT_EQ(Translate(text), text);  // language 0 is the program's own

  ASSERT_TRUE(SetLanguage(1));
  EXPECT_STREQ(Translate(text), "Wird beendet...");
  EXPECT_STREQ(Translate("Tab\there"), "Tab\thier");
  EXPECT_STREQ(Translate("Line\nbreak"), "Zeile\nUmbruch");
  EXPECT_STREQ(Translate("Back\\slash"), "Rück\\strich");
  EXPECT_STREQ(Translate("#1 of %d files"), "#1 von %d Dateien");
  const char* onlyFrench = "Only French";
  EXPECT_EQ(Translate(onlyFrench), onlyFrench);
  const char* unknown = "not in the dictionary";
  EXPECT_EQ(Translate(unknown), unknown);

  ASSERT_TRUE(SetLanguage(2));
  EXPECT_STREQ(Translate("Line\nbreak"), "Ligne\r\ncoupée");
  EXPECT_STREQ(Translate(onlyFrench), "Seulement en français");
  EXPECT_STREQ(Translate("Back\\slash"), "Back\\slash");
}

TEST_F(TranslateTest, LanguageOutOfRangeFailsWithItsText) {
  EXPECT_FALSE(SetLanguage(1));  // no dictionary: only language 0
  EXPECT_EQ(ErrorText(), "DefaultDictionaryIndex is out or range: 1");
  ASSERT_TRUE(LoadDictionary(kTestDictionary));
  ASSERT_TRUE(SetLanguage(2));
  for (int index : {3, -1}) {
    EXPECT_FALSE(SetLanguage(index));
    EXPECT_EQ(GetLastError(), kErrorText);
    EXPECT_EQ(ErrorText(), "DefaultDictionaryIndex is out or range: " + std::to_string(index));
    EXPECT_EQ(Language(), 2);
  }
}

TEST_F(TranslateTest, MalformedFileKeepsThePreviousDictionary) {
  ASSERT_TRUE(LoadDictionary(kTestDictionary));
  ASSERT_TRUE(SetLanguage(1));
  testing::TempDir dir;
  const std::string bad = dir.File("bad.mld");
  testing::WriteWholeFile(bad, "TKDICT 1\tEnglish\tDeutsch\nShutting down...\tAus\\x\n");
  EXPECT_FALSE(LoadDictionary(bad));
  EXPECT_EQ(ErrorText(), bad + ": line 2: unknown escape \"\\x\"");
  EXPECT_STREQ(Translate("Shutting down..."), "Wird beendet...");
  EXPECT_EQ(Language(), 1);
}

TEST_F(TranslateTest, TextsStayValidAcrossReloadsAndLanguageKeptWhenItExists) {
  ASSERT_TRUE(LoadDictionary(kTestDictionary));
  ASSERT_TRUE(SetLanguage(2));
  const char* before = Translate("Shutting down...");
  testing::TempDir dir;
  const std::string two = dir.File("two.mld");
  testing::WriteWholeFile(two, "TKDICT 1\tEnglish\tDeutsch\nShutting down...\tAus\n");
  ASSERT_TRUE(LoadDictionary(two));
  EXPECT_EQ(Language(), 0);  // the new dictionary has no language 2
  EXPECT_STREQ(before, "Arrêt...");
  ASSERT_TRUE(SetLanguage(1));
  ASSERT_TRUE(LoadDictionary(kTestDictionary));
  EXPECT_EQ(Language(), 1);
  EXPECT_STREQ(Translate("Shutting down..."), "Wird beendet...");
}

TEST_F(TranslateTest, LookupsWhileReloading) {
  ASSERT_TRUE(LoadDictionary(kTestDictionary));
  ASSERT_TRUE(SetLanguage(1));
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&] {
      while (!stop.load())
        if (std::strcmp(Translate("Shutting down..."), "Wird beendet...") != 0) ++wrong;
    });
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(LoadDictionary(kTestDictionary));
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace tk

#include "common/error.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace tk {
namespace {

TEST(ErrorText, TextsOfNumbers) {
  struct Row {
    int error;
    const char* text;
  };
  const Row rows[] = {
      {20002, "The parameter is incorrect"},
      {20007, "Operation cancelled by use"},
      {20008, "Need more data to complete operatio"},
      {20022, "Specified buffer too small"},
      {20023, "Unknown error"},
      {20000, "Unknown error"},
      {1000000, "Unknown error"},
      {ENOENT, "No such file or directory"},
      {ECANCELED, "Operation canceled"},
      {19999, "Unknown error"},  // no such system number
  };
  for (const Row& row : rows) EXPECT_EQ(ErrorText(row.error), row.text) << row.error;
}

TEST(ErrorText, SetErrorTextIsNumber20001OfTheThread) {
  SetErrorText("Plugin init error: %s", "no entry point");
  EXPECT_EQ(GetLastError(), 20001);
  EXPECT_EQ(ErrorText(), "Plugin init error: no entry point");
  EXPECT_EQ(ErrorText(kErrorText), "Plugin init error: no entry point");

  // Cut to 999 bytes, never inside a UTF-8 character.
  SetErrorText("%s\xC3\xA9", std::string(998, 'a').c_str());
  EXPECT_EQ(ErrorText(), std::string(998, 'a'));
  SetErrorText("%s", std::string(2000, 'b').c_str());
  EXPECT_EQ(ErrorText().size(), 999u);
}

TEST(ErrorText, CurrentFallsBackToErrnoWhenTheNumberIsZero) {
  SetLastError(0);
  errno = ENOENT;
  EXPECT_EQ(ErrorText(), "No such file or directory");
  SetLastError(20004);
  EXPECT_EQ(ErrorText(), "The wait operation timed out");
}

TEST(ErrorText, NumberAndTextArePerThread) {
  SetErrorText("main thread");
  std::string otherText;
  int otherBefore = -1;
  std::thread other([&] {
    otherBefore = GetLastError();
    SetErrorText("worker %d", 7);
    otherText = ErrorText();
  });
  other.join();
  EXPECT_EQ(otherBefore, 0);
  EXPECT_EQ(otherText, "worker 7");
  EXPECT_EQ(GetLastError(), kErrorText);
  EXPECT_EQ(ErrorText(), "main thread");
}

TEST(ErrorText, KeeperRestoresNumberAndErrno) {
  SetLastError(1223);
  errno = EIO;
  {
    ErrorNumberKeeper keep;
    SetLastError(5);
    errno = 0;
  }
  EXPECT_EQ(GetLastError(), 1223);
  EXPECT_EQ(errno, EIO);
}

}  // namespace
}  // namespace tk

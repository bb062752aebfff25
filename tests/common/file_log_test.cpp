#include "common/file_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

using testing::ReadLines;
using testing::TempDir;

constexpr const char* kHeaderLine = "DATE TIME / HINST / ERROR : <MESSAGE>";

// The text of a log line after its prefix; checks the prefix on the way.
std::string Body(const std::string& line) {
  static const std::regex prefix(
      R"(^ \d{2}-\d{2}-\d{4} \d{2}:\d{2}:\d{2}:\d{4} [ \d]{5}\d_[0-9A-F]{8} \d{6}: )");
  std::smatch match;
  EXPECT_TRUE(std::regex_search(line, match, prefix)) << line;
  return match.empty() ? line : match.suffix().str();
}

TEST(FileLog, FirstWriteTruncatesAndWritesTheHeaderOnce) {
  TempDir dir;
  const std::string file = dir.File("t.log");
  testing::WriteWholeFile(file, "an old run\n");
  FileLog log;
  ASSERT_TRUE(log.Write(file, "first"));
  ASSERT_TRUE(log.Write(file, "second"));
  std::vector<std::string> lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], kHeaderLine);
  EXPECT_EQ(Body(lines[1]), "first");
  EXPECT_EQ(Body(lines[2]), "second");
}

TEST(FileLog, PrefixCarriesProcessThreadAndErrorNumber) {
  TempDir dir;
  const std::string file = dir.File("t.log");
  FileLog log;
  SetLastError(1223);
  ASSERT_TRUE(log.Write(file, "msg"));
  std::vector<std::string> lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 2u);
  char expected[64];
  std::snprintf(expected, sizeof expected, " %6d_%08X %06d: msg", static_cast<int>(getpid()),
                static_cast<unsigned>(gettid()), 1223);
  EXPECT_EQ(Body(lines[1]), "msg");
  EXPECT_EQ(lines[1].substr(25), expected);  // after " DD-MM-YYYY hh:mm:ss:mmmm"
}

TEST(FileLog, SplitsIntoLines) {
  struct Row {
    std::string message;
    std::vector<std::string> lines;
  };
  const std::string e = "\xC3\xA9";  // a two-byte character
  const Row rows[] = {
      {"a\nb", {"a", "b"}},
      {"a\r\n\r\nb\r", {"a", "b"}},  // empty lines are not written
      {"", {}},
      {std::string(700, 'x'), {std::string(511, 'x'), std::string(189, 'x')}},
      {std::string(1200, 'y'), {std::string(511, 'y'), std::string(488, 'y')}},  // cut to 999
      {std::string(510, 'z') + e + "!", {std::string(510, 'z'), e + "!"}},
      {std::string(511, 'w') + "\n" + "v", {std::string(511, 'w'), "v"}},
  };
  for (const Row& row : rows) {
    TempDir dir;
    const std::string file = dir.File("t.log");
    FileLog log;
    ASSERT_TRUE(log.Write(file, row.message));
    std::vector<std::string> lines = ReadLines(file);
    ASSERT_EQ(lines.size(), row.lines.size() + 1) << row.message.substr(0, 20);
    for (std::size_t i = 0; i < row.lines.size(); ++i) EXPECT_EQ(Body(lines[i + 1]), row.lines[i]);
  }
}

TEST(FileLog, NoFileForDashOrEmptyNameAndTruncationWaitsForARealWrite) {
  TempDir dir;
  const std::string file = dir.File("t.log");
  testing::WriteWholeFile(file, "old\n");
  FileLog log;
  EXPECT_TRUE(log.Write("-", "nothing"));
  EXPECT_TRUE(log.Write("", "nothing"));
  EXPECT_FALSE(std::filesystem::exists("-"));
  EXPECT_FALSE(log.Write(dir.File("missing/folder.log"), "lost"));
  ASSERT_TRUE(log.Write(file, "kept"));
  std::vector<std::string> lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kHeaderLine);
  EXPECT_EQ(Body(lines[1]), "kept");
}

TEST(FileLog, ErrorNumberAndErrnoSurvive) {
  TempDir dir;
  FileLog log;
  SetLastError(20017);
  errno = EAGAIN;
  log.Write(dir.File("t.log"), "a");
  log.Write(dir.File("no/such.log"), "b");  // a failing open sets errno inside
  EXPECT_EQ(GetLastError(), 20017);
  EXPECT_EQ(errno, EAGAIN);
}

TEST(FileLog, LinesOfThreadsNeverInterleave) {
  TempDir dir;
  const std::string file = dir.File("t.log");
  FileLog log;
  constexpr int kThreads = 4, kMessages = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      // Two lines per message, each of one letter only.
      const std::string message = std::string(300, char('a' + t)) + "\n" + std::string(40, char('A' + t));
      for (int i = 0; i < kMessages; ++i) log.Write(file, message);
    });
  for (auto& thread : threads) thread.join();
  std::vector<std::string> lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 1u + kThreads * kMessages * 2);
  // Each message's two lines stay together, whole.
  for (std::size_t i = 1; i + 1 < lines.size(); i += 2) {
    std::string first = Body(lines[i]), second = Body(lines[i + 1]);
    ASSERT_EQ(first.size(), 300u) << i;
    EXPECT_EQ(first, std::string(300, first[0])) << i;
    EXPECT_EQ(second, std::string(40, char(first[0] - 'a' + 'A'))) << i;
  }
}

}  // namespace
}  // namespace tk

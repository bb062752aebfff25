#include "common/log_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

// Mirrors the box as a window would, and changes the error number on the way
// as window code may.
class Mirror : public LogBoxObserver {
 public:
  void LineAdded(const std::string& line) override {
    lines.push_back(line);
    SetLastError(EIO);
  }
  void OldestLinesRemoved(std::size_t count) override {
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(count));
    removals.push_back(count);
  }
  void SelectionChanged(int index) override { selected = index; }

  std::vector<std::string> lines;
  std::vector<std::size_t> removals;
  int selected = -1;
};

struct BoxTest : ::testing::Test {
  BoxTest() {
    box.SetOptions(acbLog | acbIndexOnLast);
    box.SetObserver(&mirror);
    box.CreateWindow();
  }
  FileLog fileLog;
  LogBox box{fileLog};
  Mirror mirror;
};

TEST_F(BoxTest, DefaultsOfTheBox) {
  LogBox fresh(fileLog);
  EXPECT_EQ(fresh.Options(), unsigned(acbIndexOnLast));
  EXPECT_EQ(fresh.LogLimit(), 500);
  EXPECT_EQ(fresh.LogFile(), "");
  EXPECT_FALSE(fresh.WindowExists());
}

TEST_F(BoxTest, LimitTrimsBeforeAdding) {
  struct Row {
    int limit;
    int adds;
    std::size_t lines;
    std::string first;  // oldest line kept
  };
  const Row rows[] = {
      {500, 500, 500, "0"},
      {500, 501, 451, "50"},  // the 501st line first trims to 450
      {500, 952, 452, "500"},
      {30, 31, 1, "30"},       // max(30 - 50, 0) lines remain
      {0, 1200, 1200, "0"},    // no limit
  };
  for (const Row& row : rows) {
    LogBox fresh(fileLog);
    Mirror mirrored;
    fresh.SetOptions(acbLog | acbIndexOnLast);
    fresh.SetObserver(&mirrored);
    fresh.SetLogLimit(row.limit);
    fresh.CreateWindow();
    for (int i = 0; i < row.adds; ++i) fresh.Add(std::to_string(i));
    ASSERT_EQ(fresh.Lines().size(), row.lines) << row.limit << " " << row.adds;
    EXPECT_EQ(fresh.Lines().front(), row.first);
    EXPECT_EQ(fresh.Lines().back(), std::to_string(row.adds - 1));
    EXPECT_EQ(fresh.Selected(), static_cast<int>(row.lines) - 1);
    EXPECT_EQ(mirrored.lines, std::vector<std::string>(fresh.Lines().begin(), fresh.Lines().end()));
    EXPECT_EQ(mirrored.selected, fresh.Selected());
  }
}

TEST_F(BoxTest, SplitsAtLineFeedOnly) {
  box.Add("a\nb");
  box.Add("c\r\nd");
  box.Add("e\n");
  box.Add("");
  EXPECT_EQ(mirror.lines, (std::vector<std::string>{"a", "b", "c\r", "d", "e", ""}));
  EXPECT_EQ(box.Selected(), 5);
}

TEST_F(BoxTest, OptionsDecideWhatHappens) {
  box.SetOptions(acbIndexOnLast);
  box.Add("refused");
  EXPECT_TRUE(box.Lines().empty());
  box.SetOptions(acbLog);
  box.Add("not selected");
  EXPECT_EQ(box.Lines().size(), 1u);
  EXPECT_EQ(box.Selected(), -1);
}

TEST_F(BoxTest, FileLogAlsoWithoutWindowAndErrorNumberSurvives) {
  testing::TempDir dir;
  box.SetLogFile(dir.File("box.log"));
  box.SetOptions(acbLog | acbIndexOnLast | acbFileLog);
  SetLastError(20006);
  box.Add("a\nb");
  EXPECT_EQ(GetLastError(), 20006);
  box.DestroyWindow();
  box.Add("file only");
  EXPECT_EQ(box.Lines().size(), 2u);
  std::vector<std::string> lines = testing::ReadLines(dir.File("box.log"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[1].find(" 020006: a"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(": b"), std::string::npos);
  EXPECT_NE(lines[3].find(": file only"), std::string::npos);
}

TEST_F(BoxTest, WorkerLinesWaitForDrainOnTheOwnerThread) {
  std::atomic<int> wakes{0};
  box.SetWake([&] { ++wakes; });
  std::thread worker([&] {
    box.Add("from worker");
    EXPECT_EQ(box.Drain(), 0u);  // only the owner thread drains
  });
  worker.join();
  EXPECT_TRUE(box.Lines().empty());
  EXPECT_EQ(box.Pending(), 1u);
  EXPECT_EQ(wakes.load(), 1);
  box.Add("from owner");  // the owner's own line goes in at once
  EXPECT_EQ(box.Drain(), 1u);
  EXPECT_EQ(mirror.lines, (std::vector<std::string>{"from owner", "from worker"}));
  EXPECT_EQ(box.Pending(), 0u);
}

TEST_F(BoxTest, WorkerLineDroppedWithoutWindow) {
  testing::TempDir dir;
  box.SetLogFile(dir.File("box.log"));
  box.SetOptions(acbLog | acbFileLog);
  std::atomic<int> wakes{0};
  box.SetWake([&] { ++wakes; });
  box.DestroyWindow();
  std::thread([&] { box.Add("lost"); }).join();
  EXPECT_EQ(box.Pending(), 0u);
  EXPECT_EQ(box.Drain(), 0u);
  EXPECT_EQ(wakes.load(), 0);
  EXPECT_TRUE(box.Lines().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("box.log")));
}

TEST_F(BoxTest, FullQueueSendsWorkerLinesStraightToTheFile) {
  testing::TempDir dir;
  box.SetLogFile(dir.File("box.log"));
  box.SetOptions(acbLog | acbFileLog);
  std::thread([&] {
    for (std::size_t i = 0; i <= LogBox::kMaxPending; ++i) box.Add("line");
  }).join();
  EXPECT_EQ(box.Pending(), LogBox::kMaxPending);
  EXPECT_EQ(testing::ReadLines(dir.File("box.log")).size(), 2u);  // header + the overflow
  box.Drain();
  EXPECT_LE(box.Lines().size(), 500u);
  // Nothing lost in the file: the overflow line and every drained one.
  EXPECT_EQ(testing::ReadLines(dir.File("box.log")).size(), 2u + LogBox::kMaxPending);
}

}  // namespace
}  // namespace tk

#include "common/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "common/paths.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

class Recorder : public LogTarget {
 public:
  void Add(std::string_view message) override {
    std::lock_guard lock(mutex);
    messages.emplace_back(message);
    SetLastError(EIO);
  }
  std::mutex mutex;
  std::vector<std::string> messages;
};

TEST(Log, WithoutTargetNothingHappens) {
  SetLogTarget(nullptr);
  SetLastError(31);
  EXPECT_TRUE(Log("lost %d", 1));
  EXPECT_EQ(GetLastError(), 31);
}

TEST(Log, FormatsInFullIntoTheTargetAndKeepsTheErrorNumber) {
  auto recorder = std::make_shared<Recorder>();
  EXPECT_EQ(SetLogTarget(recorder), nullptr);
  SetLastError(20010);
  const std::string longText(5000, 'q');
  EXPECT_TRUE(Log("%s=%d", "x", 5));
  EXPECT_TRUE(Log("%s", longText.c_str()));
  std::thread([] { Log("worker"); }).join();
  EXPECT_EQ(GetLastError(), 20010);
  EXPECT_EQ(recorder->messages, (std::vector<std::string>{"x=5", longText, "worker"}));
  EXPECT_EQ(SetLogTarget(nullptr), recorder);
}

TEST(LogToFile, ProviderNamesTheFile) {
  testing::TempDir dir;
  const std::string absolute = dir.File("abs.log");
  const std::string relativeName = "log_test_" + std::to_string(getpid()) + ".log";
  const std::string relative = ProgramFolder() + "/" + relativeName;
  std::string name;
  SetLogFileNameProvider([&] { return name; });

  SetLastError(20003);
  name = absolute;
  EXPECT_EQ(LogToFile("to %s", "absolute"), 11);
  name = relativeName;
  LogToFile("to relative");
  name = "-";
  LogToFile("nothing");
  name = "";
  LogToFile("nothing");
  EXPECT_EQ(GetLastError(), 20003);
  EXPECT_EQ(LogToFile("%s", std::string(1500, 'c').c_str()), 999);

  const std::string absoluteText = testing::ReadWholeFile(absolute);
  EXPECT_NE(absoluteText.find(" 020003: to absolute\n"), std::string::npos) << absoluteText;
  const std::string relativeText = testing::ReadWholeFile(relative);
  std::filesystem::remove(relative);
  EXPECT_NE(relativeText.find(": to relative\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(ProgramFolder() + "/-"));
  EXPECT_EQ(absoluteText.find("nothing"), std::string::npos);
  EXPECT_EQ(relativeText.find("nothing"), std::string::npos);
  SetLogFileNameProvider(nullptr);
}

TEST(LogToFile, SettingAProviderReturnsThePreviousOne) {
  SetLogFileNameProvider(nullptr);
  EXPECT_EQ(LogToFile("no provider"), 11);  // and no file
  auto previous = SetLogFileNameProvider([] { return std::string("first"); });
  EXPECT_FALSE(previous);
  previous = SetLogFileNameProvider([] { return std::string("second"); });
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous(), "first");
  previous = SetLogFileNameProvider(nullptr);
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous(), "second");
}

}  // namespace
}  // namespace tk

#include "common/logging.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/command_line.h"
#include "common/paths.h"
#include "common/pr_period.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

const std::string kDashes(42, '-');

TEST(Logging, InitChoosesFilesWritesTheBannerAndShutdownUndoesIt) {
  testing::TempDir dir;
  const std::string logFile = dir.File("run.log");
  const std::string logSwitch = "-LOG=" + logFile;
  const char* argv[] = {"terrakon", "/cfg=rel.hcfg", logSwitch.c_str()};
  SetCommandLine(3, argv);
  SetLogFileNameProvider([] { return std::string("-"); });

  auto box = std::make_shared<LogBox>(FileLog::Process());
  box->SetOptions(acbLog | acbIndexOnLast | acbFileLog);
  box->SetLogFile("Terrakon.log");
  std::string storeFile = "Terrakon.hcfg";
  InitLogging(box, &storeFile);

  EXPECT_EQ(storeFile, ProgramFolder() + "/rel.hcfg");
  EXPECT_EQ(box->LogFile(), logFile);
  EXPECT_TRUE(box->WindowExists());
  EXPECT_EQ(CurrentLogTarget(), box);
  EXPECT_NE(SharedPRPeriod(), nullptr);
  ASSERT_EQ(box->Lines().size(), 4u);
  EXPECT_EQ(box->Lines()[0], kDashes);
  EXPECT_EQ(box->Lines()[1], "Programm: " + ProgramPath());
  EXPECT_TRUE(std::regex_match(box->Lines()[2], std::regex(R"(Vesion: \d\d-\d\d-\d{4} \d\d:\d\d:\d\d)")))
      << box->Lines()[2];
  EXPECT_EQ(box->Lines()[3], kDashes);

  LogToFile("through the provider");
  std::thread([] { Log("queued by a worker"); }).join();
  ShutdownLogging();

  EXPECT_EQ(box->Lines().back(), "Shutting down...");
  EXPECT_EQ(box->Lines()[box->Lines().size() - 2], "queued by a worker");
  EXPECT_EQ(CurrentLogTarget(), nullptr);
  EXPECT_EQ(SharedPRPeriod(), nullptr);
  Log("after the end");
  EXPECT_EQ(box->Lines().back(), "Shutting down...");
  LogFileNameProvider restored = SetLogFileNameProvider(nullptr);
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored(), "-");

  const std::string text = testing::ReadWholeFile(logFile);
  for (const char* expected : {"Programm: ", ": through the provider\n", ": queued by a worker\n",
                               ": Shutting down...\n"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  SetCommandLine(0, nullptr);
}

TEST(Logging, ShutdownWhileWorkersLogUsesNoFreedBox) {
  SetCommandLine(0, nullptr);  // no LOG switch, and the box's LogFile "" stays ""
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t)
    workers.emplace_back([&] {
      while (!stop.load()) Log("worker line");
    });
  for (int round = 0; round < 20; ++round) {
    auto box = std::make_shared<LogBox>();
    box->SetOptions(acbLog);
    InitLogging(box, nullptr);
    std::this_thread::yield();
    box->Drain();
    ShutdownLogging();
    EXPECT_EQ(box->LogFile(), "");
  }
  stop = true;
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(CurrentLogTarget(), nullptr);
}

}  // namespace
}  // namespace tk

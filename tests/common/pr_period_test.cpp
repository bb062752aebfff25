#include "common/pr_period.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace tk {
namespace {

using std::chrono::milliseconds;

TEST(PRPeriod, TrueAtMostOncePerPeriodFromTheLastTrue) {
  long long now = 5000;
  PRPeriod period(milliseconds(400), [&] { return milliseconds(now); });
  EXPECT_TRUE(period.Check());  // the first progress shows at once
  EXPECT_FALSE(period.Check());
  now += 399;
  EXPECT_FALSE(period.Check());
  now += 1;
  EXPECT_TRUE(period.Check());
  now += 300;
  EXPECT_FALSE(period.Check());
  now += 100;  // 400 since the last true
  EXPECT_TRUE(period.Check());
  now += 5000;
  EXPECT_TRUE(period.Check());
  EXPECT_FALSE(period.Check());
}

TEST(PRPeriod, OneWinnerAmongRacingThreads) {
  std::atomic<long long> now{0};
  PRPeriod period(milliseconds(400), [&] { return milliseconds(now.load()); });
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> wins{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&] {
        for (int i = 0; i < 50; ++i) wins += period.Check() ? 1 : 0;
      });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wins.load(), 1) << round;
    now += 400;
  }
}

TEST(PRPeriod, SharedInstanceOnlyWhileSet) {
  EXPECT_EQ(SharedPRPeriod(), nullptr);
  SetSharedPRPeriod(std::make_shared<PRPeriod>());
  ASSERT_NE(SharedPRPeriod(), nullptr);
  EXPECT_TRUE(SharedPRPeriod()->Check());
  SetSharedPRPeriod(nullptr);
  EXPECT_EQ(SharedPRPeriod(), nullptr);
}

}  // namespace
}  // namespace tk

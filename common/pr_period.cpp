#include "common/pr_period.h"

#include <mutex>

namespace tk {
namespace {

std::mutex g_sharedMutex;
std::shared_ptr<PRPeriod> g_shared;

std::chrono::milliseconds SteadyNow() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

PRPeriod::PRPeriod(std::chrono::milliseconds period, Clock clock)
    : period_(period), clock_(clock ? std::move(clock) : Clock(SteadyNow)), last_(kNever) {}

bool PRPeriod::Check() {
  long long now = clock_().count();
  long long last = last_.load();
  if (last != kNever && now - last < period_.count()) return false;
  // Only one of several racing threads wins the period.
  return last_.compare_exchange_strong(last, now);
}

std::shared_ptr<PRPeriod> SharedPRPeriod() {
  std::lock_guard lock(g_sharedMutex);
  return g_shared;
}

void SetSharedPRPeriod(std::shared_ptr<PRPeriod> period) {
  std::lock_guard lock(g_sharedMutex);
  g_shared = std::move(period);
}

}  // namespace tk

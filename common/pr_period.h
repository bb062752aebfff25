// Paces progress texts: Check() says "yes" at most once per period, so a
// long loop can update its progress text without flooding the window.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace tk {

class PRPeriod {
 public:
  using Clock = std::function<std::chrono::milliseconds()>;
  static constexpr std::chrono::milliseconds kDefaultPeriod{400};

  // clock: monotonic milliseconds; steady_clock when empty (tests pass their own).
  explicit PRPeriod(std::chrono::milliseconds period = kDefaultPeriod, Clock clock = {});
  PRPeriod(const PRPeriod&) = delete;
  PRPeriod& operator=(const PRPeriod&) = delete;

  // True on the first call and then when at least the period has passed since
  // the last true answer. Safe from any thread.
  bool Check();

 private:
  std::chrono::milliseconds period_;
  Clock clock_;
  static constexpr long long kNever = INT64_MIN;
  std::atomic<long long> last_;  // ms of the last true answer, or kNever
};

// The shared instance that InitLogging creates and ShutdownLogging frees;
// null outside that span.
std::shared_ptr<PRPeriod> SharedPRPeriod();
void SetSharedPRPeriod(std::shared_ptr<PRPeriod> period);

}  // namespace tk

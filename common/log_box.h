// The core of the main window's log box: a bounded list of lines, changed
// only on the thread that created the box, with an optional file log. Other
// threads hand their messages over through a queue that the owner thread
// drains; a window shell mirrors the lines through LogBoxObserver.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "common/file_log.h"
#include "common/log.h"

namespace tk {

// Options of a log box (a set: combine with |).
enum LogBoxOption : unsigned {
  acbLog = 1,          // messages are accepted at all
  acbIndexOnLast = 2,  // the newest line becomes the selected one
  acbFileLog = 4,      // every message also goes to LogFile
};

// Told of every change of the lines, on the owner thread.
class LogBoxObserver {
 public:
  virtual ~LogBoxObserver() = default;
  virtual void LineAdded(const std::string& line) = 0;
  virtual void OldestLinesRemoved(std::size_t count) = 0;
  virtual void SelectionChanged(int index) = 0;  // -1: none
};

class LogBox : public LogTarget {
 public:
  static constexpr int kDefaultLogLimit = 500;
  static constexpr std::size_t kMaxPending = 10000;  // queued worker messages

  // The creating thread becomes the owner thread.
  explicit LogBox(FileLog& fileLog = FileLog::Process());
  LogBox(const LogBox&) = delete;
  LogBox& operator=(const LogBox&) = delete;

  unsigned Options() const { return options_.load(); }
  void SetOptions(unsigned options) { options_.store(options); }
  std::string LogFile() const override;
  void SetLogFile(std::string fileName);
  // Most lines kept; 0: no limit. Before adding to a full box the oldest
  // lines are deleted until LogLimit - 50 remain.
  int LogLimit() const { return logLimit_.load(); }
  void SetLogLimit(int limit) { logLimit_.store(limit < 0 ? 0 : limit); }

  // The window's existence: without it the owner thread's messages go only
  // to the file log and other threads' messages are dropped.
  void CreateWindow();
  void DestroyWindow();
  bool WindowExists() const { return windowExists_.load(); }

  // Called on a worker thread after it queued a message, so that the owner
  // thread calls Drain soon (a window posts a queued call). It runs under the
  // queue's lock and must not call back into the box; after DestroyWindow
  // returns it is not called again.
  void SetWake(std::function<void()> wake);
  void SetObserver(LogBoxObserver* observer) { observer_ = observer; }

  // Any thread: on the owner thread the message is handled at once, on
  // another it is queued while the window exists and dropped otherwise.
  void Add(std::string_view message) override;
  // Owner thread: handles the queued messages in order; returns their number.
  std::size_t Drain();
  std::size_t Pending() const;

  // Owner thread only.
  const std::deque<std::string>& Lines() const { return lines_; }
  int Selected() const { return selected_; }
  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

 private:
  void Handle(std::string_view message);
  void AddLine(std::string line);

  FileLog& fileLog_;
  const std::thread::id owner_;
  std::atomic<unsigned> options_{acbIndexOnLast};
  std::atomic<int> logLimit_{kDefaultLogLimit};
  std::atomic<bool> windowExists_{false};
  mutable std::mutex fileNameMutex_;
  std::string logFile_;
  mutable std::mutex queueMutex_;  // guards queue_, wake_ and window changes
  std::deque<std::string> queue_;
  std::function<void()> wake_;
  LogBoxObserver* observer_ = nullptr;
  std::deque<std::string> lines_;
  int selected_ = -1;
};

}  // namespace tk

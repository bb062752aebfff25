// The text log file. Each message becomes one or more lines
//   " DD-MM-YYYY hh:mm:ss:mmmm pppppp_TTTTTTTT eeeeee: text"
// (local time with milliseconds, process id, thread id in hex, error number).
// The first write of a FileLog truncates the file and writes a header line;
// every write opens and closes the file under one lock, so lines of several
// threads never interleave.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace tk {

class FileLog {
 public:
  static constexpr std::size_t kMaxMessage = 999;  // bytes kept of a message
  static constexpr std::size_t kMaxLine = 511;     // longer lines go on the next line
  static constexpr const char* kHeader = "DATE TIME / HINST / ERROR : <MESSAGE>\n";

  FileLog() = default;
  FileLog(const FileLog&) = delete;
  FileLog& operator=(const FileLog&) = delete;

  // Appends the message to fileName. An empty name and "-" write nothing.
  // Returns false when the file could not be opened or written (the message is
  // lost; the next one tries again). Never changes the thread's error number.
  bool Write(const std::string& fileName, std::string_view message);

  // The instance that Log and LogToFile share for the whole process.
  static FileLog& Process();

 private:
  std::mutex mutex_;
  bool started_ = false;  // a file was opened once: later writes append
};

}  // namespace tk

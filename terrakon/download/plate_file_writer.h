// Internal: the temporary ".jp" file of one download. The plate's ".jpg"
// appears only through Commit, complete, and never replaces a file that is
// there already. A second download of the same plate at the same time is
// refused at Open instead of writing into the same file.
#pragma once

#include <cstddef>
#include <string>

namespace tk {

class PlateFileWriter {
 public:
  // tempPath: the ".jp" path; the plate's file is that path with "g" appended.
  explicit PlateFileWriter(std::string tempPath);
  ~PlateFileWriter();  // an open, uncommitted file is deleted
  PlateFileWriter(const PlateFileWriter&) = delete;
  PlateFileWriter& operator=(const PlateFileWriter&) = delete;

  // Creates or empties the temporary file. False with the thread's error;
  // busy() then tells whether another download holds it.
  bool Open();
  bool IsOpen() const { return fd_ >= 0; }
  bool busy() const { return busy_; }
  // Writes everything or fails with the thread's error.
  bool Write(const void* data, std::size_t size);
  // Moves the file to its final name. On failure (the final file exists, ...)
  // the temporary file is deleted and the thread's error says why.
  bool Commit();
  // Deletes the temporary file; keeps the thread's error number.
  void Discard();

  const std::string& tempPath() const { return tempPath_; }
  std::string finalPath() const { return tempPath_ + 'g'; }

 private:
  std::string tempPath_;
  int fd_ = -1;
  bool busy_ = false;
};

}  // namespace tk

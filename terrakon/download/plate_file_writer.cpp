#include "terrakon/download/plate_file_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/error.h"

namespace tk {
namespace {

// rename() that fails with EEXIST instead of replacing the target.
int RenameNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1;
  // File systems without the flag: a hard link cannot replace either.
  if (link(from, to) == 0) {
    unlink(from);
    return 0;
  }
  if (errno == EEXIST) return -1;
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return -1;
  // No hard links (FAT): a check, then a plain rename.
  struct stat st;
  if (stat(to, &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return rename(from, to);
}

}  // namespace

PlateFileWriter::PlateFileWriter(std::string tempPath) : tempPath_(std::move(tempPath)) {}

PlateFileWriter::~PlateFileWriter() {
  if (fd_ >= 0) Discard();
}

bool PlateFileWriter::Open() {
  busy_ = false;
  // No O_TRUNC: the file may belong to a download that is still running.
  int fd = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    busy_ = true;
    SetErrorText("the plate is being downloaded by another request");
    return false;
  }
  // The holder may have renamed or deleted it between our open and lock.
  struct stat opened, named;
  if (fstat(fd, &opened) != 0 || stat(tempPath_.c_str(), &named) != 0 || opened.st_ino != named.st_ino ||
      opened.st_dev != named.st_dev) {
    close(fd);
    busy_ = true;
    SetErrorText("the plate is being downloaded by another request");
    return false;
  }
  if (ftruncate(fd, 0) != 0) {
    SetLastErrorFromErrno();
    unlink(tempPath_.c_str());
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool PlateFileWriter::Write(const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool PlateFileWriter::Commit() {
  if (fd_ < 0) {
    SetLastError(EBADF);
    return false;
  }
  // Renamed while still locked, so nobody can take the file over in between.
  if (RenameNoReplace(tempPath_.c_str(), finalPath().c_str()) != 0) {
    SetLastErrorFromErrno();
    Discard();
    return false;
  }
  close(fd_);
  fd_ = -1;
  return true;
}

void PlateFileWriter::Discard() {
  if (fd_ < 0) return;
  ErrorNumberKeeper keep;
  unlink(tempPath_.c_str());
  close(fd_);
  fd_ = -1;
}

}  // namespace tk

#include "common/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "common/error.h"

namespace tk {

std::string TemporaryNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(getpid()) + "-" + std::to_string(++counter) + "~";
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::string temp = TemporaryNameBeside(path);
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  int error = 0;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    unlink(temp.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

}  // namespace tk

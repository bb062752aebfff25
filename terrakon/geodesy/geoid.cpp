#include "terrakon/geodesy/geoid.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "common/paths.h"
#include "platform/geoengine/geoid_grid.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"

namespace tk {
namespace {

// Closes whatever the load opened, on every path.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() {
    if (data_ != MAP_FAILED) munmap(data_, size_);
    if (fd_ >= 0) close(fd_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False with errno set.
  bool Map(const std::string& path) {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat st;
    if (fstat(fd_, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
      errno = EISDIR;
      return false;
    }
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ == 0) {
      errno = EINVAL;  // an empty file cannot be mapped
      return false;
    }
    data_ = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
    return data_ != MAP_FAILED;
  }
  const void* data() const { return data_ == MAP_FAILED ? nullptr : data_; }
  std::size_t size() const { return size_; }

 private:
  int fd_ = -1;
  void* data_ = MAP_FAILED;
  std::size_t size_ = 0;
};

std::string SystemErrorText() { return ErrorText(errno); }

}  // namespace

void LoadGeoid(const HStorageLink& settings) {
  if (!settings::LoadEGM.Get(settings)) return;
  Log("Loading EGM96 height data...");
  const std::string name = settings::EGMHeight.Get(settings);
  if (name.empty()) {
    Log("EGM height data file is not set!");
    return;
  }
  const std::string path = ProgramRelativePath(name);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    Log("EGM height data file not found!");
    return;
  }
  MappedFile file;
  if (!file.Map(path)) {
    Log("EGM height data file can not be loaded: %s", SystemErrorText().c_str());
    return;
  }
  if (!file.data()) {
    Log("EGM height data file can not be accessed: %s", SystemErrorText().c_str());
    return;
  }
  if (!CheckGeoidPtr(file.data(), file.size())) {
    Log("EGM height data has bad or uknown format");
    return;
  }
  if (InitializeGeoidPtr(file.data(), file.size()) != 0) Log("Error assining EGM height data!");
}

std::string GeoidHeightText(PixelPoint p) {
  double height;
  if (GetGeoidHeightG(Google2Y(p.Y), Google2X(p.X), &height) != 0) return Translate("<error>");
  return FormatText(Translate("Geoid: %8.2lf m"), height);
}

}  // namespace tk

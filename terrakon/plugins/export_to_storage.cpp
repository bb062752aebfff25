#include "terrakon/plugins/export_to_storage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/plugin_host.h"
#include "common/pr_period.h"
#include "common/storage_action.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/plugins/plugin_host_info.h"

namespace tk {
namespace {

// The texts keep the 64-bit conversion "%I64u" of their dictionary entries;
// the C library here spells it "%llu".
std::string CountFormat(const char* text) {
  std::string format = Translate(text);
  for (std::size_t at; (at = format.find("%I64u")) != std::string::npos;)
    format.replace(at, 5, "%llu");
  return format;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsPlateFileName(const char* name) {
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  return (c == 'q' || c == 'r' || c == 's' || c == 't') && ::strcasecmp(name + 1, ".jpg") == 0;
}

char KeyLetter(const std::string& name) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
}

std::string FolderOf(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

class Exporter {
 public:
  Exporter(const ExportRequest& request, GStorageAction& action, ExportProgress& progress,
           PRPeriod& period)
      : request_(request), action_(action), progress_(progress), period_(period) {}

  std::uint64_t Added() const { return added_; }

  // False: stopped.
  bool Walk(const std::string& key, const std::string& directory) {
    if (request_.limitZoom && static_cast<int>(key.size()) > request_.zoomTo) return true;
    // The root of an empty prefix has no plate of its own: "" is no key, and
    // its ".jpg" would lie beside the cache.
    const std::string own = directory + ".jpg";
    struct stat st;
    if (!key.empty() && InLimits(key.size()) && ::stat(own.c_str(), &st) == 0 &&
        !S_ISDIR(st.st_mode)) {
      // A failure here stops the walk too, so that the final box never
      // calls an export with a failed plate complete.
      if (!AddFile(key, own)) return false;
    }
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) {
      Log("!open [%s] directory", directory.c_str());
      return true;
    }
    std::vector<std::string> files, subdirectories;
    while (dirent* entry = ::readdir(dir)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      if (IsDirectory(directory + '/' + name))
        subdirectories.emplace_back(name);
      else
        files.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : files) {
      if (!IsPlateFileName(name.c_str())) continue;
      const std::string childKey = key + KeyLetter(name);
      if (!InLimits(childKey.size())) continue;
      if (!AddFile(childKey, directory + '/' + name)) return false;
    }
    for (const std::string& name : subdirectories) {
      const std::string path = directory + '/' + name;
      if (!Walk(key + KeyLetter(name), path)) return false;
      if (request_.deleteSources && ::rmdir(path.c_str()) != 0 && !request_.limitZoom) {
        const int error = errno;
        Log("Error delete source dir [%s]: %s", path.c_str(), ErrorText(error).c_str());
      }
    }
    return true;
  }

 private:
  bool InLimits(std::size_t length) const {
    const int n = static_cast<int>(length);
    return !request_.limitZoom || (n >= request_.zoomFrom && n <= request_.zoomTo);
  }

  bool AddFile(const std::string& key, const std::string& file) {
    if (Store(key, file)) {
      if (request_.deleteSources) DeleteSource(file);
      ++added_;
      return true;
    }
    if (GetLastError() == kErrorCancelled) return false;
    if (AskYesNo(Translate("Error adding item to storage.\nItem:%s\nError: %s\n\nOpen error folder?"),
                 file.c_str(), ErrorText().c_str())) {
      ErrorNumberKeeper keep;
      progress_.ExploreFolder(FolderOf(file));
    }
    return false;
  }

  bool Store(const std::string& key, const std::string& file) {
    if (period_.Check()) {
      progress_.SetText(FormatText(CountFormat("Added %I64u\n%s\n%s").c_str(),
                                   static_cast<unsigned long long>(added_), key.c_str(),
                                   file.c_str()));
      if (progress_.AbortRequested()) {
        SetLastError(kErrorCancelled);
        return false;
      }
    }
    if (!ReadFile(file)) return false;
    const int result = action_.Write(key, data_.data(), static_cast<std::uint32_t>(data_.size()),
                                     request_.overwrite ? StorageWriteReplace : StorageWriteKeep);
    if (result == StorageOk) return true;
    if (result == StorageNotFound)
      SetErrorText(request_.overwrite ? "Storage did not store the plate"
                                      : "Plate is already in the storage");
    Log("!Store plate data");
    return false;
  }

  bool ReadFile(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      SetLastErrorFromErrno();
      Log("!open file");
      return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      SetLastErrorFromErrno();
      ::close(fd);
      Log("!alloc data");
      return false;
    }
    if (st.st_size > static_cast<off_t>(kMaxPluginBlock)) {
      SetErrorText("Plate file is larger than %u bytes", kMaxPluginBlock);
      ::close(fd);
      Log("!alloc data");
      return false;
    }
    data_.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < data_.size()) {
      const ssize_t n = ::read(fd, data_.data() + done, data_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n < 0) SetLastErrorFromErrno();
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data_.resize(done);
    if (done == 0) {
      if (GetLastError() == 0 || st.st_size == 0) SetErrorText("Plate file is empty");
      Log("!read file");
      return false;
    }
    return true;
  }

  void DeleteSource(const std::string& file) {
    if (::unlink(file.c_str()) == 0) return;
    ::chmod(file.c_str(), 0666);
    if (::unlink(file.c_str()) == 0) return;
    const int error = errno;
    Log("Error delete source [%s]: %s", file.c_str(), ErrorText(error).c_str());
  }

  const ExportRequest& request_;
  GStorageAction& action_;
  ExportProgress& progress_;
  PRPeriod& period_;
  std::uint64_t added_ = 0;
  std::vector<unsigned char> data_;  // one buffer, sized to each file
};

}  // namespace

bool ConfirmExport(const ExportRequest& request) {
  return AskYesNo(Translate("Start to %s loaded files to \"%s\" storage begining from \"%s\" subdir?"),
                  request.deleteSources ? "MOVE" : "copy", request.storagePath.c_str(),
                  request.prefix.c_str());
}

ExportResult ExportToStorage(const ExportRequest& request, ExportProgress& progress,
                             PRPeriod& period) {
  ExportResult result;
  std::unique_ptr<GStoragePlugin> plugin =
      LoadPlugin(request.libraryName, ViewerPluginHostInfo(), static_cast<int>(PluginTypeStorage));
  if (!plugin) {
    ErrorBox(Translate("Error loading storage plugin: %s"), ErrorText().c_str());
    return result;
  }
  GStorageAction* action = CreateStorageAction(*plugin);
  if (!action) {
    ErrorBox(Translate("Error loading create storage action: %s"), ErrorText().c_str());
    return result;
  }
  if (!action->Open(ProgramRelativePath(request.storagePath))) {
    ErrorBox(Translate("Error initialize storage data \"%s\": %s"), request.storagePath.c_str(),
             ErrorText().c_str());
    return result;
  }
  result.storagePath = action->OpenedPath();

  std::string source = request.cacheDirectory;
  for (char c : request.prefix) {
    source += '/';
    source += c;
  }
  progress.EnableAbort(true);
  Exporter exporter(request, *action, progress, period);
  SetLastError(0);
  const bool finished = exporter.Walk(request.prefix, source);
  result.added = exporter.Added();
  result.outcome = finished ? ExportOutcome::kComplete : ExportOutcome::kStopped;
  const auto added = static_cast<unsigned long long>(result.added);
  if (finished)
    WarningBox(CountFormat("Export to \"%s\" complete.\n%I64u items are added successfully").c_str(),
               result.storagePath.c_str(), added);
  else
    WarningBox(CountFormat("Export to \"%s\" complete with error.\n%I64u items are added "
                           "successfully\nResult error message: %s")
                   .c_str(),
               result.storagePath.c_str(), added, ErrorText().c_str());
  // Unloading frees the action, which closes the storage; the registry's
  // own instance of the library stays loaded.
  plugin.reset();
  return result;
}

}  // namespace tk

#include "tilestow/commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <vector>

#include "common/error.h"
#include "common/format_text.h"
#include "common/plugin_host.h"
#include "common/size_text.h"
#include "common/storage_action.h"

namespace tk::tilestow {
namespace {

constexpr int kKeyWidth = 30;  // column of keys in listings and progress lines
const char* const kRule = "------------------------------------\n";

const PluginHostInfo kHost = {PluginMagic, sizeof(PluginHostInfo), PluginHostVersionUtility,
                              nullptr};

std::string SystemText(int error) { return ErrorText(error); }

// The loaded plugin with its one action; unloading frees the action, which
// closes the storage and keeps what was written.
struct Session {
  std::unique_ptr<GStoragePlugin> plugin;
  GStorageAction* action = nullptr;
};

Session Load(const Options& options) {
  if (!options.plugin) Fatal("Plugin name not specified", false);
  Session session;
  session.plugin = LoadPlugin(*options.plugin, &kHost, kAnyPluginType);
  if (!session.plugin) Fatal("Error loading plugin", true);
  return session;
}

void OpenStorage(Session& session, const Options& options) {
  session.action = CreateStorageAction(*session.plugin);
  if (!session.action) Fatal("Error creating storage action", true);
  const std::string db = options.db.value_or("");
  if (!session.action->Open(db)) Fatal(FormatText("Error initialize storage data \"%s\"", db.c_str()), true);
}

std::string WithoutTrailingSlash(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string PrefixDirectory(const std::string& root, const std::string& prefix) {
  std::string path = WithoutTrailingSlash(root);
  for (char c : prefix) {
    path += '/';
    path += c;
  }
  return path;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsPlateKey(const char* key) {
  if (!key || !*key) return false;
  std::size_t n = 0;
  for (const char* p = key; *p; ++p, ++n)
    if ((*p != 'q' && *p != 'r' && *p != 's' && *p != 't') || n >= 30) return false;
  return true;
}

bool IsPlateFileName(const char* name) {
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  return (c == 'q' || c == 'r' || c == 's' || c == 't') && ::strcasecmp(name + 1, ".jpg") == 0;
}

// Deletes a moved source; a read-only file is made writable and tried again.
void DeleteSource(const std::string& file, Console& console) {
  if (::unlink(file.c_str()) == 0) return;
  ::chmod(file.c_str(), 0666);
  if (::unlink(file.c_str()) == 0) return;
  const int error = errno;
  console.Warning("Error delete source [%s]: %s", file.c_str(), SystemText(error).c_str());
}

// ---- List ----

struct ListState {
  int count = 0;
};

int32_t ListItem(void* user, int32_t index, const char* key, const void*, uint32_t size) noexcept {
  auto* state = static_cast<ListState*>(user);
  try {
    std::printf("%6d) %8s %-*s\n", index, SizeText(size).c_str(), kKeyWidth, key ? key : "");
  } catch (...) {
    return 0;  // nothing may unwind through the plugin
  }
  ++state->count;
  return 1;
}

// ---- Add ----

enum class AddResult { kAdded, kCancelled, kFailed };

class Adder {
 public:
  Adder(const Options& options, GStorageAction& action, Console& console)
      : options_(options), action_(action), console_(console) {}

  int Count() const { return count_; }

  // False when a cancellation stopped the walk.
  bool Walk(const std::string& key, const std::string& directory) {
    if (options_.limitZoom && static_cast<int>(key.size()) > options_.zoomTo) return true;
    // The directory's own plate; the root of an empty prefix has none (its
    // ".jpg" would lie beside the source tree, and "" is no key).
    const std::string own = directory + ".jpg";
    struct stat st;
    if (!key.empty() && options_.InLimits(key.size()) && ::stat(own.c_str(), &st) == 0 &&
        !S_ISDIR(st.st_mode)) {
      const AddResult result = AddFile(key, own);
      if (result == AddResult::kFailed) FailAdd(own);
      if (result == AddResult::kAdded) Added(own);
    }

    DIR* dir = ::opendir(directory.c_str());
    if (!dir) {
      console_.Warning("!open [%s] directory", directory.c_str());
      return true;
    }
    std::vector<std::string> files, subdirectories;
    while (dirent* entry = ::readdir(dir)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      const std::string path = directory + '/' + name;
      if (IsDirectory(path))
        subdirectories.emplace_back(name);
      else
        files.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : files) {
      if (!IsPlateFileName(name.c_str())) continue;
      const std::string childKey = key + KeyLetter(name);
      if (!options_.InLimits(childKey.size())) continue;
      const std::string path = directory + '/' + name;
      const AddResult result = AddFile(childKey, path);
      if (result == AddResult::kCancelled) return false;
      if (result == AddResult::kFailed) FailAdd(path);
      Added(path);
    }
    for (const std::string& name : subdirectories) {
      const std::string path = directory + '/' + name;
      if (!Walk(key + KeyLetter(name), path)) return false;
      if (options_.move && ::rmdir(path.c_str()) != 0 && !options_.limitZoom) {
        const int error = errno;
        console_.Warning("Error delete source dir [%s]: %s", path.c_str(),
                         SystemText(error).c_str());
      }
    }
    return true;
  }

 private:
  // Names are matched without regard to case; keys are lower case.
  static char KeyLetter(const std::string& name) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  }

  AddResult AddFile(const std::string& key, const std::string& file) {
    if (!console_.Progress(count_, FormatText("Added %6d; %-*s <- %s", count_, kKeyWidth,
                                              key.c_str(), file.c_str())))
      return AddResult::kCancelled;
    if (!ReadWhole(file)) return AddResult::kFailed;
    const int result = action_.Write(key, buffer_.data(), static_cast<std::uint32_t>(buffer_.size()),
                                     StorageWriteReplace);
    if (result == StorageOk) return AddResult::kAdded;
    if (result == StorageNotFound) SetErrorText("Storage did not store the plate");
    return AddResult::kFailed;
  }

  // The whole file: a plate cut at a buffer's end would be corrupt.
  bool ReadWhole(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      SetLastErrorFromErrno();
      return false;
    }
    buffer_.clear();
    std::size_t done = 0;
    for (;;) {
      if (buffer_.size() - done < kReadStep) {
        if (buffer_.size() >= kMaxPluginBlock) {
          ::close(fd);
          SetErrorText("Plate file is larger than %u bytes", kMaxPluginBlock);
          return false;
        }
        buffer_.resize(buffer_.size() + kReadStep);
      }
      const ssize_t n = ::read(fd, buffer_.data() + done, buffer_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        SetLastErrorFromErrno();
        ::close(fd);
        return false;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    buffer_.resize(done);
    if (done == 0) {
      SetErrorText("Plate file is empty");
      return false;
    }
    if (done > kMaxPluginBlock) {
      SetErrorText("Plate file is larger than %u bytes", kMaxPluginBlock);
      return false;
    }
    return true;
  }

  [[noreturn]] void FailAdd(const std::string& file) {
    Fatal(FormatText("Error adding [%s] to storage: %s\n", file.c_str(), ErrorText().c_str()),
          true);
  }

  void Added(const std::string& file) {
    if (options_.move) DeleteSource(file, console_);
    ++count_;
  }

  static constexpr std::size_t kReadStep = 49152;  // most plates fit one read

  const Options& options_;
  GStorageAction& action_;
  Console& console_;
  int count_ = 0;
  std::vector<unsigned char> buffer_;
};

// ---- Extract ----

struct Extractor {
  const Options& options;
  GStorageAction& action;
  Console& console;
  std::string target;  // ends with '/'
  int count = 0;
  std::string madeDirectory;  // exists already
};

bool MakeDirectories(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (part.empty() || part == "/") continue;
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      SetLastErrorFromErrno();
      return false;
    }
  }
  if (!IsDirectory(path)) {
    SetLastError(ENOTDIR);
    return false;
  }
  return true;
}

bool WriteAll(int fd, const void* data, std::uint32_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastError(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int32_t SaveItem(Extractor& x, const char* key, const void* data, uint32_t size) {
  const std::string& prefix = x.options.prefix;
  // Keys become paths: only plate letters below the prefix may, so that no
  // file lands outside the target.
  if (!IsPlateKey(key) || std::strncmp(key, prefix.c_str(), prefix.size()) != 0) {
    x.console.Warning("Skip item with bad plate key [%s]", key ? key : "");
    return 1;
  }
  if (!PluginBlockReadable(data, size)) {
    x.console.Warning("Skip item [%s] with bad data block", key);
    return 1;
  }
  const std::string fullKey = key;
  if (!x.options.InLimits(fullKey.size())) return 1;
  const std::string rest = fullKey.substr(prefix.size());
  if (rest.empty()) return 1;

  std::string directory = x.target;
  for (std::size_t i = 0; i + 1 < rest.size(); ++i) {
    directory += rest[i];
    directory += '/';
  }
  const char last = rest.back();
  if (!x.console.Progress(x.count, FormatText("Save %6d %-*s -> %s%c.%s", x.count, kKeyWidth,
                                              key, directory.c_str(), last, "jpg")))
    return 0;
  // Plates come folder by folder: create each folder once.
  if (directory != x.madeDirectory && !MakeDirectories(directory)) {
    x.console.Warning("Error create plate dir [%s] data: %s", directory.c_str(),
                      ErrorText().c_str());
    return 0;
  }
  x.madeDirectory = directory;
  const std::string temp = directory + last + ".jp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(temp.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    SetLastErrorFromErrno();
    x.console.Warning("Error create plate file [%s] data: %s", temp.c_str(), ErrorText().c_str());
    return 0;
  }
  bool written = WriteAll(fd, data, size);
  const int writeError = GetLastError();
  if (::close(fd) != 0 && written) {
    written = false;
    SetLastErrorFromErrno();
  } else if (!written) {
    SetLastError(writeError);
  }
  if (!written) {
    x.console.Warning("Error write plate data to [%s]: %s", temp.c_str(), ErrorText().c_str());
    ::unlink(temp.c_str());
    return 0;
  }
  // rename replaces the old file in one step: no moment without a plate.
  const std::string final = temp + "g";
  if (::rename(temp.c_str(), final.c_str()) != 0) {
    SetLastErrorFromErrno();
    x.console.Warning("Error rename saved file \"%s\" -> \"%s\": %s", temp.c_str(), final.c_str(),
                      ErrorText().c_str());
    ::unlink(temp.c_str());
    return 0;
  }
  if (x.options.move) {
    if (!x.console.Progress(x.count, FormatText("Delete %6d %-*s", x.count, kKeyWidth, key)))
      return 0;
    if (x.action.Write(fullKey, nullptr, 0, StorageWriteDelete) != StorageOk) {
      x.console.Warning("Error delete plate item [%s]: %s", key, ErrorText().c_str());
      return 0;
    }
  }
  ++x.count;
  return 1;
}

int32_t ExtractItem(void* user, int32_t, const char* key, const void* data,
                    uint32_t size) noexcept {
  try {
    return SaveItem(*static_cast<Extractor*>(user), key, data, size);
  } catch (...) {
    return 0;  // nothing may unwind through the plugin
  }
}

}  // namespace

void RunLoad(const Options& options) {
  if (!options.plugin) Fatal("Plugin name not specified", false);
  Print("Load module [%s]...\n", options.plugin->c_str());
  std::fflush(stdout);
  std::string name = PluginLibraryName(*options.plugin);
  void* module = name.empty() ? nullptr : OpenPluginLibrary(name);
  if (module)
    Print("Loaded successfully at: %p", module);
  else
    Print("Load error: %s", ErrorText().c_str());
  // Stays loaded until the program ends.
}

void RunStat(const Options& options) {
  Session session = Load(options);
  GStoragePlugin& plugin = *session.plugin;
  Print("Module loaded at: %p\n", plugin.Module());
  Print("     Module type: %s\n", PluginTypeName(plugin.Type()));
  Print("     Description: %s\n", plugin.Description());
  Print("\n");
  GStorageAction* action = CreateStorageAction(plugin);
  if (!action) Fatal("Error create storage action", true);
  Print("Storage plugin statistics:\n          Uses: %s\n         Write: %s\n   Enumeration: %s\n"
        "  Default path: \"%s\"\n   Default ext: \"%s\"\n",
        plugin.UsesDir() ? "Directory" : "Single file",
        plugin.CanWrite() ? "SUPPORTED" : "NOT SUPPORTED",
        plugin.CanEnumerate() ? "SUPPORTED" : "NOT SUPPORTED", action->DefaultPath(),
        action->DefaultExt());
}

void RunList(const Options& options, Console&) {
  Session session = Load(options);
  if (!session.plugin->CanEnumerate()) Fatal("Library does not support list operations", false);
  OpenStorage(session, options);
  Print("List files in storage (Using: %s)\n%s Storage dir/file: %s\n       Start from: \"%s\"\n"
        "%sIndex   Size     Name\n%s",
        session.plugin->LibraryName().c_str(), kRule, session.action->OpenedPath().c_str(),
        options.prefix.c_str(), kRule, kRule);
  ListState state;
  const int result = session.action->Enumerate(options.prefix, ListItem, EnumerateKeys, &state);
  if (result == EnumerateFinished || result == EnumerateStopped)
    Print("%sTotal items found: %d\n", kRule, state.count);
  else if (result == EnumerateEmpty)
    Print("Strage is empty\n");
  else
    Fatal("Error enumerating storage", true);
}

void RunAdd(const Options& options, const std::string& root, Console& console) {
  if (!options.db) Fatal("Storage file/dir is not set", false);
  const std::string source = PrefixDirectory(root, options.prefix);
  Session session = Load(options);
  if (!session.plugin->CanWrite()) Fatal("Library does not support update operations", false);
  OpenStorage(session, options);
  Print("Adding files to storage (Using: %s)\n%s     Files source: %s\n Storage dir/file: %s\n%s",
        session.plugin->LibraryName().c_str(), kRule, source.c_str(),
        session.action->OpenedPath().c_str(), kRule);
  console.WatchKeyboard();
  Adder adder(options, *session.action, console);
  adder.Walk(options.prefix, source);
  Print("\n%sTotal items added: %d\n", kRule, adder.Count());
}

void RunExtract(const Options& options, const std::string& root, Console& console) {
  if (!options.db) Fatal("Storage file/dir is not set", false);
  std::string target = PrefixDirectory(root, options.prefix);
  Session session = Load(options);
  if (!session.plugin->CanEnumerate()) Fatal("Library does not support list operations", false);
  if (options.move && !session.plugin->CanWrite())
    Fatal("Library does not support delete operation", false);
  OpenStorage(session, options);
  Print("Extracting files from storage (Using: %s)\n%s     Files source: %s\n"
        " Storage dir/file: %s\n%s",
        session.plugin->LibraryName().c_str(), kRule, target.c_str(),
        session.action->OpenedPath().c_str(), kRule);
  if (target.empty()) target.push_back('.');
  if (target.back() != '/') target += '/';
  Print("Save plates data...\n");
  console.WatchKeyboard();
  Extractor extractor{options, *session.action, console, target, 0, {}};
  const int result =
      session.action->Enumerate(options.prefix, ExtractItem, EnumerateData, &extractor);
  if (result == EnumerateFinished)
    Print("\n%sTotal items saved: %d\n", kRule, extractor.count);
  else if (result == EnumerateEmpty)
    Print("Storage is empty\n");
  else if (result == EnumerateFailed)
    Fatal("Error enumerating storage", true);
}

}  // namespace tk::tilestow

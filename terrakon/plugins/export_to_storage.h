// Copies the plates of a cache subtree into a storage through its own
// instance of a storage plugin, optionally deleting the copied files. The
// export window collects the request and shows the progress; this is the
// work itself, with its questions asked through the user-interface seam.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

class PRPeriod;

struct ExportRequest {
  std::string libraryName;     // the chosen plugin's library file name
  std::string storagePath;     // the storage file or directory
  std::string prefix;          // key prefix: the subtree to export
  std::string cacheDirectory;  // the disk cache's directory
  bool deleteSources = false;  // delete each file once it is stored
  bool overwrite = true;       // replace plates the storage holds already
  bool limitZoom = false;
  int zoomFrom = 1;  // key lengths, 1 ... 30
  int zoomTo = 18;
};

// The long-operation window as the export sees it.
class ExportProgress {
 public:
  virtual ~ExportProgress() = default;
  virtual void EnableAbort(bool enable) = 0;
  virtual void SetText(const std::string& text) = 0;
  // Whether abort was pressed since the last question; clears the flag.
  virtual bool AbortRequested() = 0;
  // Shows a folder in the platform's file manager.
  virtual void ExploreFolder(const std::string& folder) = 0;
};

enum class ExportOutcome {
  kNotStarted,  // the plugin, its action or the storage could not be opened
  kComplete,
  kStopped,  // a failure or the user's abort ended the walk
};

struct ExportResult {
  ExportOutcome outcome = ExportOutcome::kNotStarted;
  std::uint64_t added = 0;
  std::string storagePath;  // as opened
};

// "Start to MOVE/copy loaded files ..." through AskYesNo.
bool ConfirmExport(const ExportRequest& request);

// Loads the plugin, opens the storage, walks the subtree and tells the
// outcome in a box; the plugin is unloaded (and the storage closed) on
// every path. Progress texts are paced by period.
ExportResult ExportToStorage(const ExportRequest& request, ExportProgress& progress,
                             PRPeriod& period);

}  // namespace tk

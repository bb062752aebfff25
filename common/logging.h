// Start and end of the program's logging: the log box becomes the target of
// Log, the "CFG" and "LOG" switches choose the files, a banner names the
// program. Called on the thread that created the box.
#pragma once

#include <memory>
#include <string>

#include "common/log_box.h"

namespace tk {

// storeFileName: the configuration store's file name, replaced by the "CFG"
// switch's path (or the default against the program folder); may be null.
// The box's LogFile is replaced the same way by "LOG", its window created,
// the log-file name provider set to the box's LogFile, and the shared
// PRPeriod created.
void InitLogging(std::shared_ptr<LogBox> box, std::string* storeFileName);

// Logs "Shutting down...", hands the box's queued lines over, removes the
// target, frees the shared PRPeriod and puts back the previous provider.
void ShutdownLogging();

}  // namespace tk

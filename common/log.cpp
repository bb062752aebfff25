// Placeholder until the logging core lands.
#include "log.h"
namespace tk {
bool Log(const char*, ...) { return true; }
int LogToFile(const char*, ...) { return 0; }
}  // namespace tk

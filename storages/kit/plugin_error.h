// The last failure's text of a storage plugin, per thread: the host asks
// for it right after the failing call, on the same thread.
#pragma once

#include <string>

namespace storagekit {

inline std::string& ErrorSlot() {
  thread_local std::string text;
  return text;
}
inline void SetError(const std::string& text) { ErrorSlot() = text; }
inline const std::string& LastError() { return ErrorSlot(); }

}  // namespace storagekit

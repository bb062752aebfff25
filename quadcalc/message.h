#pragma once
// The library's one message buffer: texts returned to the host live here until
// the next message. Ends the process when the buffer cannot be allocated.

namespace tk {

const char *SetMessage(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tk

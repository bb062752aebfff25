// The program's log: Log() writes into the log target (the main window's log
// box, from any thread); LogToFile() appends to the log file only.
#pragma once

namespace tk {

// Adds the formatted message to the log target; nothing when there is none.
// Callable from any thread; never changes the thread's error number.
bool Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends the formatted message to the file that the log-file name provider
// names; returns the number of characters of the message.
int LogToFile(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tk

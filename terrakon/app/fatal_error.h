// The one orderly stop of the program: a box "Programm aborted:" with the
// message (and the thread's error text when there is one), then exit code 1.
#pragma once

#include <functional>
#include <string>

namespace tk {

[[noreturn]] void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows the final text; the default is a Qt box when an application exists.
// Returns the previous one (tests replace it, as no box can be answered).
using FatalErrorBox = std::function<void(const std::string& text)>;
FatalErrorBox SetFatalErrorBox(FatalErrorBox box);

// The text FatalError shows for the message and an error number.
std::string FatalErrorText(const std::string& message, int error);

}  // namespace tk

// Error numbers and texts shared by every part of the program.
//
// A failing operation returns false (or null) and leaves its reason in the
// thread's error number. Numbers below 20000 are errno values; 20001 is the
// text last set with SetErrorText on this thread; 20002 ... 20022 are fixed
// texts of our own. Logging never changes the number.
#pragma once

#include <cerrno>
#include <cstdarg>
#include <string>

namespace tk {

// The Windows numbers the program's logic relies on, as errno equivalents.
inline constexpr int kErrorFileNotFound = ENOENT;     // 2
inline constexpr int kErrorNotSupported = ENOTSUP;    // 50
inline constexpr int kErrorNotReady = ENXIO;          // 21, device not ready
inline constexpr int kErrorInvalidName = EINVAL;      // 123
inline constexpr int kErrorAlreadyExists = EEXIST;    // 183
inline constexpr int kErrorCancelled = ECANCELED;     // 1223, not shown as an error

// Numbers of our own.
inline constexpr int kErrorOwnBase = 20000;
inline constexpr int kErrorText = 20001;              // text of SetErrorText
inline constexpr int kErrorInvalidParameter = 20002;
inline constexpr int kErrorFunctionNotSupported = 20003;
inline constexpr int kErrorTimeout = 20004;
inline constexpr int kErrorPipeNotConnected = 20005;
inline constexpr int kErrorIntegrity = 20006;
inline constexpr int kErrorUserCancel = 20007;
inline constexpr int kErrorNeedMoreData = 20008;
inline constexpr int kErrorBadCursor = 20009;
inline constexpr int kErrorFetch = 20010;
inline constexpr int kErrorMoveOutOfBounds = 20011;
inline constexpr int kErrorAlreadyClosed = 20012;
inline constexpr int kErrorPipeClosed = 20013;
inline constexpr int kErrorTransfer = 20014;
inline constexpr int kErrorBrokenHeader = 20015;
inline constexpr int kErrorBadMagic = 20016;
inline constexpr int kErrorOutOfBounds = 20017;
inline constexpr int kErrorServer = 20018;
inline constexpr int kErrorUnknownServer = 20019;
inline constexpr int kErrorRange = 20020;
inline constexpr int kErrorUnexpectedData = 20021;
inline constexpr int kErrorBufferTooSmall = 20022;

// The thread's error number (the stand-in for the system's last-error value).
int GetLastError();
void SetLastError(int error);
// Takes errno as the thread's error number; for use right after a failed call.
void SetLastErrorFromErrno();

// Formats into this thread's error text (at most 999 bytes, never cutting a
// UTF-8 character) and sets the thread's error number to kErrorText.
void SetErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));
void VSetErrorText(const char* format, va_list args);

// The text of an error number: below 20000 the system's text (cut at the
// first line break), kErrorText this thread's SetErrorText text, the fixed
// texts up to kErrorBufferTooSmall, "Unknown error" beyond. Without an
// argument, of the thread's current number, or of errno when that is 0.
std::string ErrorText(int error);
std::string ErrorText();

// Keeps the thread's error number across a scope that may change it
// (logging, message boxes). errno is kept too, because ErrorText() falls back
// to it when the thread's number is 0.
class ErrorNumberKeeper {
 public:
  ErrorNumberKeeper() : saved_(GetLastError()), savedErrno_(errno) {}
  ~ErrorNumberKeeper() {
    SetLastError(saved_);
    errno = savedErrno_;
  }
  ErrorNumberKeeper(const ErrorNumberKeeper&) = delete;
  ErrorNumberKeeper& operator=(const ErrorNumberKeeper&) = delete;
  int saved() const { return saved_; }

 private:
  int saved_;
  int savedErrno_;
};

}  // namespace tk

// The HTTP fetch of one plate into the disk cache.
//
// One HTTP/1.0 GET (libcurl; "http://" and "https://" with the system's CA
// certificates) on the options of the open internet handle. The body goes
// to the plate's temporary ".jp" file and becomes its ".jpg" only when it
// is complete. A body that is no JPEG or PNG picture is taken for a refusal
// by the service: its first block is kept in "last_request.html" and the
// answer is 403.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

// Status numbers besides the service's own HTTP status.
inline constexpr int kFetchOk = 200;         // available before, or stored now
inline constexpr int kFetchForbidden = 403;  // 403 answer, or a body that is no picture
inline constexpr int kFetchNotFound = 404;
inline constexpr int kFetchFailed = 500;     // local or transport failure (log, thread's error)
inline constexpr int kFetchNotReady = 503;   // not started, or no internet handle

// Bodies above this are refused.
inline constexpr uint64_t kMaxPlateBodyBytes = 16u << 20;

// Downloads the plate of key from url. Safe from several threads at once.
int FetchPlate(std::string_view url, std::string_view key);

// Where the first block of the last refused body goes; by default
// "last_request.html" in the program folder. Empty: back to the default.
void SetLastRequestFile(std::string path);
std::string LastRequestFile();

// A CA bundle to verify servers with instead of the system's (a private
// service); empty: the system's certificates.
void SetExtraCaFile(std::string path);

}  // namespace tk

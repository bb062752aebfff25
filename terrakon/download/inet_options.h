// The downloader's internet settings: one process-wide record, copied in and
// out whole (GetInetOptions / ApplyInetOptions).
#pragma once

#include <cstdint>
#include <string>

namespace tk {

struct InetOptions {
  bool UseProxy = false;      // "UseProxy": go through Proxy
  std::string Proxy;          // "Proxy": host:port, as libcurl takes it (at most 260 characters)
  bool UseProxyUser = false;  // "UseProxyUser": send ProxyUser and ProxyPwd (Basic)
  std::string ProxyUser;      // "ProxyUser"
  std::string ProxyPwd;       // "ProxyPwd"
  // No settings: these keep their defaults unless a caller changes them.
  // Values <= 0 stand for the default.
  int32_t ConnectRetries = 5;        // kept for the dialog; libcurl tries every address of a host itself
  int32_t ConnectTimeout = 2000;     // [ms] to establish the connection
  int32_t DataReceiveTimeout = 2000; // [ms] longest silence of the server inside the body
  int32_t DataSendTimeout = 2000;    // [ms] to send the request
  int32_t ReceiveTimeout = 2000;     // [ms] longest silence of the server
  int32_t SendTimeout = 2000;        // [ms] to send the request
  bool INETLogFile = false;          // "INETLogFile": log every download
  int32_t ThreadsCount = 1;          // "ThreadsCount": worker threads (0: none)
};

}  // namespace tk

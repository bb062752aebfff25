// Internal: libcurl's process start and the handles of one thread. Every
// thread that fetches (each worker, the user-interface thread for area
// loading) keeps one easy handle and one multi handle, reused for all its
// downloads and freed when the thread ends.
#pragma once

#include <curl/curl.h>

namespace tk {

// curl_global_init, once per process; false with the error text. libcurl's
// global state is kept until the process ends: threads' handles may outlive
// ShutdownDownloader.
bool StartCurl();

struct CurlHandles {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* accept = nullptr;  // the request's Accept header
};

// This thread's handles, made on first use; null when libcurl cannot make them.
CurlHandles* ThisThreadCurl();

}  // namespace tk

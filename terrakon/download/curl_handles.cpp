#include "terrakon/download/curl_handles.h"

#include <mutex>

#include "common/error.h"

namespace tk {
namespace {

// The accept types of the request, in this order.
constexpr const char* kAcceptHeader = "Accept: image/jpeg, image/png, */*";

class ThreadCurl {
 public:
  ThreadCurl() {
    handles_.easy = curl_easy_init();
    handles_.multi = curl_multi_init();
    handles_.accept = curl_slist_append(nullptr, kAcceptHeader);
  }
  ~ThreadCurl() {
    if (handles_.easy) curl_easy_cleanup(handles_.easy);
    if (handles_.multi) curl_multi_cleanup(handles_.multi);
    curl_slist_free_all(handles_.accept);
  }
  ThreadCurl(const ThreadCurl&) = delete;
  ThreadCurl& operator=(const ThreadCurl&) = delete;

  CurlHandles* Get() {
    return handles_.easy && handles_.multi && handles_.accept ? &handles_ : nullptr;
  }

 private:
  CurlHandles handles_;
};

}  // namespace

bool StartCurl() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (result != CURLE_OK) {
    SetErrorText("curl_global_init: %s", curl_easy_strerror(result));
    return false;
  }
  return true;
}

CurlHandles* ThisThreadCurl() {
  thread_local ThreadCurl handles;
  return handles.Get();
}

}  // namespace tk

#include "terrakon/download/fetch_plate.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"
#include "terrakon/download/curl_handles.h"
#include "terrakon/download/inet_session.h"
#include "terrakon/download/picture_check.h"
#include "terrakon/download/plate_file_writer.h"
#include "terrakon/plates/pixel_space.h"
#include "terrakon/plates/plate_path.h"
#include "terrakon/plates/plate_source.h"

namespace tk {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kBlockBytes = 1024;   // the body is checked and written in blocks of this size
constexpr std::size_t kUncheckedBytes = 10; // a first block this short skips the picture check
constexpr std::size_t kWriteBatchBytes = 64 * 1024;
constexpr int kSendAttempts = 3;
constexpr int kDefaultTimeoutMs = 2000;
constexpr milliseconds kMaxTransfer{120000};  // bounds a server that trickles forever
constexpr milliseconds kPollStep{50};         // how often the silence watch looks
constexpr const char* kUserAgent = "Microsoft Internet Explorer";
constexpr const char* kLastRequestName = "last_request.html";

std::mutex g_filesMutex;  // guards the two below
std::string g_lastRequestFile;
std::string g_extraCaFile;

std::string ExtraCaFile() {
  std::lock_guard lock(g_filesMutex);
  return g_extraCaFile;
}

// Keys name files below the cache directory: only plate letters pass.
bool ValidKey(std::string_view key) {
  if (key.empty() || key.size() > static_cast<std::size_t>(kMaxZoom)) return false;
  return std::all_of(key.begin(), key.end(), [](char c) { return c == 'q' || c == 'r' || c == 's' || c == 't'; });
}

struct Target {
  std::string url;   // what libcurl gets
  std::string host;  // with its port, if any
};

// "http://" or "https://" (exact), or no scheme for plain HTTP; then the
// host up to the first "/", then the object name.
bool ParseUrl(std::string_view url, Target& target) {
  std::string_view rest = url;
  std::string_view scheme = "http://";
  if (rest.starts_with("http://")) {
    rest.remove_prefix(7);
  } else if (rest.starts_with("https://")) {
    rest.remove_prefix(8);
    scheme = "https://";
  } else {
    std::size_t mark = rest.find("://");
    if (mark != std::string_view::npos && mark < rest.find('/')) return false;  // another scheme
  }
  std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash == 0) return false;
  target.host = std::string(rest.substr(0, slash));
  target.url = std::string(scheme) + std::string(rest);
  return true;
}

// Hosts that go around the proxy: names without a dot (the intranet), as
// the proxy bypass "<local>" means.
bool LocalHost(std::string_view host) {
  if (host.starts_with('[')) return true;  // IPv6 literal; only loopback is reached that way here
  std::string_view name = host.substr(0, host.find(':'));
  return name.find('.') == std::string_view::npos;
}

int TimeoutMs(int32_t value) { return value > 0 ? value : kDefaultTimeoutMs; }

struct Limits {
  milliseconds connect;    // to establish the connection
  milliseconds firstByte;  // from the start until the server says anything
  milliseconds silence;    // longest pause of the server after that
};

Limits LimitsOf(const InetOptions& o) {
  Limits l;
  l.connect = milliseconds(TimeoutMs(o.ConnectTimeout));
  const int send = std::max(TimeoutMs(o.SendTimeout), TimeoutMs(o.DataSendTimeout));
  l.firstByte = l.connect + milliseconds(std::max(send, TimeoutMs(o.ReceiveTimeout)));
  l.silence = milliseconds(std::max(TimeoutMs(o.ReceiveTimeout), TimeoutMs(o.DataReceiveTimeout)));
  return l;
}

void SetInetErrorText(const std::string& text) {
  if (!text.empty()) SetErrorText("Inet: %s, ICMP: %s", text.c_str(), "ErNum: 0");
}

std::string Describe(CURLcode result, const char* errorBuffer) {
  if (errorBuffer[0]) return errorBuffer;
  return result == CURLE_OK ? std::string() : curl_easy_strerror(result);
}

bool IsTlsFailure(CURLcode result) {
  switch (result) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return true;
    default:
      return false;
  }
}

// Replaces "last_request.html" as a whole with the refused block.
void WriteLastRequest(const uint8_t* data, std::size_t size) {
  ErrorNumberKeeper keep;
  const std::string path = LastRequestFile();
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    SetLastErrorFromErrno();
    Log("Error creating last received file: %s", ErrorText().c_str());
    return;
  }
  fchmod(fd, 0644);
  bool ok = true;
  for (std::size_t done = 0; ok && done < size;) {
    ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  if (!ok) SetLastErrorFromErrno();
  if (close(fd) != 0 && ok) {
    SetLastErrorFromErrno();
    ok = false;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    SetLastErrorFromErrno();
    ok = false;
  }
  if (!ok) {
    unlink(temp.c_str());
    Log("Error creating last received file: %s", ErrorText().c_str());
  }
}

// The body of one attempt: re-cut into blocks of kBlockBytes whatever sizes
// the network delivers, checked, written to the temporary file.
class BodySink {
 public:
  BodySink(CURL* easy, std::string_view key, std::string_view url)
      : easy_(easy), key_(key), url_(url), file_(PlatePath(key, "jp")) {}
  BodySink(const BodySink&) = delete;
  BodySink& operator=(const BodySink&) = delete;

  static size_t OnHeader(char* line, size_t size, size_t count, void* self) {
    auto* sink = static_cast<BodySink*>(self);
    const size_t bytes = size * count;
    sink->Touch();
    // A status line opens a header block, an empty line closes it.
    const std::string_view text(line, bytes);
    if (text.starts_with("HTTP/")) sink->headersClosed_ = false;
    if (text == "\r\n" || text == "\n") sink->headersClosed_ = true;
    return bytes;
  }
  static size_t OnWrite(char* data, size_t size, size_t count, void* self) {
    auto* sink = static_cast<BodySink*>(self);
    const size_t bytes = size * count;
    sink->Touch();
    // Anything but the full count stops the transfer.
    return sink->Take(reinterpret_cast<const uint8_t*>(data), bytes) ? bytes : 0;
  }

  bool heard() const { return heard_; }
  Clock::time_point lastActivity() const { return lastActivity_; }
  // A status this side decided (403, 500); 0 while none.
  int verdict() const { return verdict_; }

  // The last answer's headers ended with their empty line: a connection
  // closed inside them is no complete answer.
  bool headersClosed() const { return headersClosed_; }

  // The transfer of a 200 answer ended well: the last block, the rename.
  int Finish() {
    if (!file_.IsOpen() && !OpenFile()) return verdict_;
    if (fill_ > 0 && !Block(block_.data(), fill_)) return verdict_;
    fill_ = 0;
    if (!Flush()) return verdict_;
    if (!file_.Commit()) {
      Log("!Rename loaded file: \"%s\" -> \"%s\" (%s)", file_.tempPath().c_str(), file_.finalPath().c_str(),
          ErrorText().c_str());
      return kFetchFailed;
    }
    AddStoredFile();
    return kFetchOk;
  }
  // The transfer broke: nothing of it stays.
  void Abandon() { file_.Discard(); }

 private:
  void Touch() {
    heard_ = true;
    lastActivity_ = Clock::now();
  }

  bool Take(const uint8_t* data, size_t size) {
    if (verdict_) return false;
    if (!started_) {
      started_ = true;
      long status = 0;
      curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
      if (status != 200) return false;  // the status says all; its page is not needed
      if (!OpenFile()) return false;
    }
    received_ += size;
    if (received_ > kMaxPlateBodyBytes) {
      SetErrorText("the answer is larger than %llu bytes", static_cast<unsigned long long>(kMaxPlateBodyBytes));
      Log("Answer of %s refused: %s", url_.c_str(), ErrorText().c_str());
      file_.Discard();
      verdict_ = kFetchFailed;
      return false;
    }
    while (size > 0) {
      const size_t n = std::min(size, kBlockBytes - fill_);
      std::memcpy(block_.data() + fill_, data, n);
      fill_ += n;
      data += n;
      size -= n;
      if (fill_ == kBlockBytes) {
        if (!Block(block_.data(), fill_)) return false;
        fill_ = 0;
      }
    }
    return true;
  }

  bool OpenFile() {
    if (!MakePlateDirs(key_)) {
      LogToFile("!create dirs");
      verdict_ = kFetchFailed;
      return false;
    }
    if (!file_.Open()) {
      Log("Error creating local file [%s]: %s", file_.tempPath().c_str(), ErrorText().c_str());
      verdict_ = kFetchFailed;
      return false;
    }
    return true;
  }

  bool Block(const uint8_t* data, size_t size) {
    if (!checked_ && size > kUncheckedBytes) {
      checked_ = true;
      if (!LooksLikePlatePicture(data, size)) {
        file_.Discard();
        WriteLastRequest(data, size);
        verdict_ = kFetchForbidden;
        return false;
      }
    }
    // Blocks go to the file in batches: one write call per block would
    // cost more than the rest of a plate's handling.
    pending_.insert(pending_.end(), data, data + size);
    AddReceivedBytes(size);
    return pending_.size() < kWriteBatchBytes || Flush();
  }

  bool Flush() {
    if (pending_.empty()) return true;
    if (!file_.Write(pending_.data(), pending_.size())) {
      Log("Error writing %d bytes to %s: %s", static_cast<int>(pending_.size()), file_.tempPath().c_str(),
          ErrorText().c_str());
      file_.Discard();
      verdict_ = kFetchFailed;
      return false;
    }
    pending_.clear();
    return true;
  }

  CURL* easy_;
  std::string key_;
  std::string url_;
  PlateFileWriter file_;
  std::array<uint8_t, kBlockBytes> block_{};
  size_t fill_ = 0;
  std::vector<uint8_t> pending_;  // checked blocks not yet written
  bool started_ = false;
  bool checked_ = false;
  bool heard_ = false;
  bool headersClosed_ = false;
  uint64_t received_ = 0;
  Clock::time_point lastActivity_{};
  int verdict_ = 0;
};

CURLcode Configure(CurlHandles& h, const InetOptions& o, const Target& target, const Limits& limits,
                   BodySink& sink, char* errorBuffer) {
  CURL* e = h.easy;
  curl_easy_reset(e);  // keeps the connection and DNS caches
  CURLcode rc = CURLE_OK;
  auto step = [&rc](CURLcode r) {
    if (rc == CURLE_OK) rc = r;
  };
  step(curl_easy_setopt(e, CURLOPT_URL, target.url.c_str()));
  step(curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L));
  step(curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0}));
  step(curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent));
  step(curl_easy_setopt(e, CURLOPT_HTTPHEADER, h.accept));
  step(curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L));  // the object name goes out as configured
  step(curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https"));
  step(curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  step(curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L));
  step(curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L));
  step(curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count())));
  step(curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPlateBodyBytes)));
  step(curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorBuffer));
  step(curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &BodySink::OnHeader));
  step(curl_easy_setopt(e, CURLOPT_HEADERDATA, &sink));
  step(curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &BodySink::OnWrite));
  step(curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink));
  step(curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L));
  step(curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L));
  const std::string ca = ExtraCaFile();
  if (!ca.empty()) step(curl_easy_setopt(e, CURLOPT_CAINFO, ca.c_str()));
  const bool viaProxy = o.UseProxy && !o.Proxy.empty() && !LocalHost(target.host);
  // An empty proxy also keeps proxies of the environment out.
  step(curl_easy_setopt(e, CURLOPT_PROXY, viaProxy ? o.Proxy.c_str() : ""));
  step(curl_easy_setopt(e, CURLOPT_NOPROXY, ""));
  if (viaProxy && o.UseProxyUser) {
    step(curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, o.ProxyUser.c_str()));
    step(curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, o.ProxyPwd.c_str()));
  }
  return rc;
}

// One transfer on this thread's multi handle, so that the server's silence
// is watched to the millisecond rather than libcurl's one-second steps.
CURLcode Perform(CurlHandles& h, const BodySink& sink, const Limits& limits, char* errorBuffer) {
  if (curl_multi_add_handle(h.multi, h.easy) != CURLM_OK) return CURLE_FAILED_INIT;
  const Clock::time_point start = Clock::now();
  CURLcode result = CURLE_GOT_NOTHING;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(h.multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    bool done = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(h.multi, &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == h.easy) {
        result = message->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    const Clock::time_point now = Clock::now();
    Clock::time_point deadline =
        sink.heard() ? sink.lastActivity() + limits.silence : start + limits.firstByte;
    deadline = std::min(deadline, start + kMaxTransfer);
    if (now >= deadline) {
      result = CURLE_OPERATION_TIMEDOUT;
      std::snprintf(errorBuffer, CURL_ERROR_SIZE, "No data from the server for %lld ms",
                    static_cast<long long>(std::chrono::duration_cast<milliseconds>(
                                               now - (sink.heard() ? sink.lastActivity() : start))
                                               .count()));
      break;
    }
    const auto wait = std::clamp(std::chrono::duration_cast<milliseconds>(deadline - now) + milliseconds(1),
                                 milliseconds(1), kPollStep);
    curl_multi_poll(h.multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
  }
  curl_multi_remove_handle(h.multi, h.easy);
  return result;
}

}  // namespace

void SetLastRequestFile(std::string path) {
  std::lock_guard lock(g_filesMutex);
  g_lastRequestFile = std::move(path);
}

std::string LastRequestFile() {
  {
    std::lock_guard lock(g_filesMutex);
    if (!g_lastRequestFile.empty()) return g_lastRequestFile;
  }
  return JoinPath(ProgramFolder(), kLastRequestName);
}

void SetExtraCaFile(std::string path) {
  std::lock_guard lock(g_filesMutex);
  g_extraCaFile = std::move(path);
}

int FetchPlate(std::string_view url, std::string_view key) {
  const std::shared_ptr<const InetSession> session = CurrentInetSession();
  const bool started = DownloaderStarted();
  if (!started || !session) {
    LogToFile("!handle: %d, %p", started ? 1 : 0, static_cast<const void*>(session.get()));
    return kFetchNotReady;
  }
  const std::string urlText(url);
  if (!ValidKey(key)) {
    SetErrorText("Invalid plate key \"%.*s\"", static_cast<int>(std::min<std::size_t>(key.size(), 40)), key.data());
    Log("%s (%s)", ErrorText().c_str(), urlText.c_str());
    return kFetchFailed;
  }
  if (PlateAvailable(key)) return kFetchOk;
  const InetOptions& options = session->options;
  const std::string keyText(key);
  if (options.INETLogFile) Log("INET Loading: %s (%s)", keyText.c_str(), urlText.c_str());

  Target target;
  if (!ParseUrl(url, target)) {
    Log("%s", urlText.c_str());
    return kFetchFailed;
  }
  CurlHandles* handles = ThisThreadCurl();
  if (!handles) {
    Log("%s", urlText.c_str());
    return kFetchFailed;
  }
  const Limits limits = LimitsOf(options);
  char errorBuffer[CURL_ERROR_SIZE];

  for (int failures = 0;;) {
    errorBuffer[0] = '\0';
    BodySink sink(handles->easy, key, url);
    if (Configure(*handles, options, target, limits, sink, errorBuffer) != CURLE_OK) {
      Log("!Set connect opts");
      return kFetchFailed;
    }
    CURLcode result = Perform(*handles, sink, limits, errorBuffer);
    long status = 0;
    if (curl_easy_getinfo(handles->easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
      LogToFile("!query info");
      SetInetErrorText(Describe(result, errorBuffer));
      return kFetchFailed;
    }
    if (sink.verdict()) return sink.verdict();
    if (status == 0) {  // no answer at all: the request did not get through
      ++failures;
      LogToFile("!send req, retry %d", failures);
      if (failures < kSendAttempts) continue;
      Log("!send req, max retry %d reached", kSendAttempts);
      const std::string reason = Describe(result, errorBuffer);
      if (IsTlsFailure(result)) Log("Secure connection to %s failed: %s", target.host.c_str(), reason.c_str());
      SetInetErrorText(reason);
      return kFetchFailed;
    }
    if (status != 200) {
      LogToFile("INET state %d: %s", static_cast<int>(status), urlText.c_str());
      return static_cast<int>(status);
    }
    if (result == CURLE_OK && !sink.headersClosed()) {
      std::snprintf(errorBuffer, CURL_ERROR_SIZE, "%s", "Connection closed inside the answer's headers");
      result = CURLE_PARTIAL_FILE;
    }
    if (result != CURLE_OK) {
      const std::string reason = Describe(result, errorBuffer);
      if (result == CURLE_FILESIZE_EXCEEDED) Log("Answer of %s refused: %s", urlText.c_str(), reason.c_str());
      LogToFile("!read file");
      SetInetErrorText(reason);
      sink.Abandon();
      return kFetchFailed;
    }
    return sink.Finish();
  }
}

}  // namespace tk

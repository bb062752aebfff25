// Loopback servers for the downloader's tests and benchmark, inside the
// process, on 127.0.0.1 and an ephemeral port:
//   TileServer  - a tile service with a scripted answer per plate key;
//   ProxyServer - an HTTP proxy that records what it was sent and forwards
//                 to loopback targets only;
//   RawServer   - answers with whatever bytes a handler writes (garbage,
//                 wrong lengths, endless bodies).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace tk::testing {

struct TileAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "image/jpeg";
  std::chrono::milliseconds delay{0};  // before the answer
  // Closes the connection after this many body bytes (Content-Length says the whole).
  std::size_t cutAfter = SIZE_MAX;
  // Trickle: writes of this many bytes with this pause between them.
  std::size_t chunk = 0;
  std::chrono::milliseconds gap{0};
  std::function<void()> onRequest;  // runs when the request arrives

  // Builders: TileAnswer().Body(plate).Delay(200ms)
  TileAnswer Status(int s) const { return With([&](TileAnswer& a) { a.status = s; }); }
  TileAnswer Body(std::string b, std::string type = "image/jpeg") const {
    return With([&](TileAnswer& a) { a.body = std::move(b), a.contentType = std::move(type); });
  }
  TileAnswer Delay(std::chrono::milliseconds d) const { return With([&](TileAnswer& a) { a.delay = d; }); }
  TileAnswer CutAfter(std::size_t bytes) const { return With([&](TileAnswer& a) { a.cutAfter = bytes; }); }
  TileAnswer Trickle(std::size_t bytes, std::chrono::milliseconds pause) const {
    return With([&](TileAnswer& a) { a.chunk = bytes, a.gap = pause; });
  }
  TileAnswer OnRequest(std::function<void()> f) const { return With([&](TileAnswer& a) { a.onRequest = std::move(f); }); }

 private:
  template <typename F>
  TileAnswer With(F change) const {
    TileAnswer a = *this;
    change(a);
    return a;
  }
};

struct RecordedRequest {
  std::string method;
  std::string target;   // as on the request line
  std::string version;  // "HTTP/1.0"
  std::string path;
  std::string key;      // the plate the request was taken for
  std::map<std::string, std::string> headers;  // names lower case
};

// The plate key of a request: the query value "t", else "{z}/{x}/{y}" at the
// end of the path (y from the north), else "q/<quadkey>", else the last
// path segment without its extension.
std::string KeyOfRequest(std::string_view path, std::string_view tQuery);

class TileServer {
 public:
  // tlsCert/tlsKey: PEM files for HTTPS; empty for plain HTTP.
  explicit TileServer(std::string tlsCert = {}, std::string tlsKey = {}, int threads = 8);
  ~TileServer();
  TileServer(const TileServer&) = delete;
  TileServer& operator=(const TileServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + pathAndQuery ("https://" with TLS).
  std::string Url(std::string_view pathAndQuery) const;

  void Answer(const std::string& key, TileAnswer answer);
  // For keys without an answer of their own; 404 unless set.
  void SetDefault(TileAnswer answer);
  // Plate files of a folder laid out like the disk cache, served with 200
  // before the default.
  void ServeTree(std::string folder);
  void SetLatency(std::chrono::milliseconds latency);  // before every answer

  std::vector<RecordedRequest> Requests() const;
  std::size_t RequestCount() const;
  void ClearRequests();

 private:
  TileAnswer Lookup(const std::string& key) const;

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  bool tls_ = false;
  mutable std::mutex mutex_;
  std::map<std::string, TileAnswer> answers_;
  TileAnswer default_;
  std::string tree_;
  std::chrono::milliseconds latency_{0};
  std::vector<RecordedRequest> requests_;
};

class ProxyServer {
 public:
  ProxyServer();
  ~ProxyServer();
  ProxyServer(const ProxyServer&) = delete;
  ProxyServer& operator=(const ProxyServer&) = delete;

  int port() const { return port_; }
  std::string Address() const;  // "127.0.0.1:<port>"
  std::vector<RecordedRequest> Requests() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
};

class RawServer {
 public:
  // Called for each connection with its socket and the request's head; the
  // connection is closed afterwards. Handlers write with SendAll.
  using Handler = std::function<void(int socket, const std::string& request)>;
  explicit RawServer(Handler handler);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view pathAndQuery) const;
  int connections() const { return connections_; }
  bool stopping() const { return stop_; }

  // False once the peer has gone.
  static bool SendAll(int socket, std::string_view bytes);

 private:
  void Serve();

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

}  // namespace tk::testing

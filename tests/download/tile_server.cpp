#include "tests/download/tile_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <httplib.h>

namespace tk::testing {
namespace {

using std::chrono::milliseconds;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool ParseNumber(std::string_view text, int64_t& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t begin = 0; begin <= path.size();) {
    std::size_t end = path.find('/', begin);
    if (end == std::string_view::npos) end = path.size();
    if (end > begin) parts.push_back(path.substr(begin, end - begin));
    begin = end + 1;
  }
  return parts;
}

std::string StripExtension(std::string_view name) { return std::string(name.substr(0, name.find('.'))); }

// The key of plate (column, row from the south) at level z.
std::string KeyOf(int64_t column, int64_t row, int z) {
  std::string key;
  for (int n = z; n > 0; --n) {
    const int64_t half = int64_t{1} << (n - 1);
    const bool east = column >= half, north = row >= half;
    key += north ? (east ? 'r' : 'q') : (east ? 's' : 't');
    if (east) column -= half;
    if (north) row -= half;
  }
  return key;
}

RecordedRequest Record(const httplib::Request& req) {
  RecordedRequest r;
  r.method = req.method;
  r.target = req.target;
  r.version = req.version;
  r.path = req.path;
  for (const auto& [name, value] : req.headers) r.headers[Lower(name)] = value;
  r.key = KeyOfRequest(req.path, req.has_param("t") ? req.get_param_value("t") : std::string());
  return r;
}

void StartListening(httplib::Server& server, std::thread& thread, int& port) {
  port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) throw std::runtime_error("loopback server: no port");
  thread = std::thread([&server] { server.listen_after_bind(); });
  for (int i = 0; i < 200 && !server.is_running(); ++i) std::this_thread::sleep_for(milliseconds(5));
}

std::string ReadFile(const std::string& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = bool(in);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string KeyOfRequest(std::string_view path, std::string_view tQuery) {
  if (!tQuery.empty()) return std::string(tQuery);
  const std::vector<std::string_view> parts = Segments(path);
  if (parts.size() >= 3) {
    int64_t z, x, y;
    const std::size_t n = parts.size();
    if (ParseNumber(parts[n - 3], z) && ParseNumber(parts[n - 2], x) &&
        ParseNumber(StripExtension(parts[n - 1]), y) && z >= 0 && z <= 30)
      return KeyOf(x, ((int64_t{1} << z) - 1) - y, static_cast<int>(z));
  }
  if (parts.size() >= 2 && parts[parts.size() - 2] == "q") {
    std::string key;
    for (char c : StripExtension(parts.back())) key += c == '0' ? 'q' : c == '1' ? 'r' : c == '2' ? 't' : 's';
    return key;
  }
  return parts.empty() ? std::string() : StripExtension(parts.back());
}

TileServer::TileServer(std::string tlsCert, std::string tlsKey, int threads) : tls_(!tlsCert.empty()) {
  default_.status = 404;
  default_.body = "no such plate";
  default_.contentType = "text/plain";
  if (tls_)
    server_ = std::make_unique<httplib::SSLServer>(tlsCert.c_str(), tlsKey.c_str());
  else
    server_ = std::make_unique<httplib::Server>();
  if (!server_->is_valid()) throw std::runtime_error("loopback server: bad TLS files");
  server_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  server_->set_tcp_nodelay(true);  // small trickle writes go out at once
  server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    RecordedRequest record = Record(req);
    TileAnswer answer;
    milliseconds latency;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(record);
      answer = Lookup(record.key);
      latency = latency_;
    }
    if (answer.onRequest) answer.onRequest();
    std::this_thread::sleep_for(latency + answer.delay);
    res.status = answer.status;
    if (answer.cutAfter >= answer.body.size() && answer.chunk == 0) {
      res.set_content(answer.body, answer.contentType.c_str());
      return;
    }
    auto body = std::make_shared<std::string>(std::move(answer.body));
    const std::size_t cut = std::min(answer.cutAfter, body->size());
    const std::size_t chunk = answer.chunk;
    const milliseconds gap = answer.gap;
    res.set_content_provider(body->size(), answer.contentType.c_str(),
                             [body, cut, chunk, gap](size_t offset, size_t length, httplib::DataSink& sink) {
                               if (offset >= cut) return false;  // closes the connection mid-body
                               size_t n = std::min({length, body->size() - offset, cut - offset});
                               if (chunk > 0) n = std::min(n, chunk);
                               if (!sink.write(body->data() + offset, n)) return false;
                               if (chunk > 0 && gap.count() > 0) std::this_thread::sleep_for(gap);
                               return true;
                             });
  });
  StartListening(*server_, thread_, port_);
}

TileServer::~TileServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string TileServer::Url(std::string_view pathAndQuery) const {
  return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + std::string(pathAndQuery);
}

void TileServer::Answer(const std::string& key, TileAnswer answer) {
  std::lock_guard lock(mutex_);
  answers_[key] = std::move(answer);
}

void TileServer::SetDefault(TileAnswer answer) {
  std::lock_guard lock(mutex_);
  default_ = std::move(answer);
}

void TileServer::ServeTree(std::string folder) {
  std::lock_guard lock(mutex_);
  tree_ = std::move(folder);
}

void TileServer::SetLatency(milliseconds latency) {
  std::lock_guard lock(mutex_);
  latency_ = latency;
}

TileAnswer TileServer::Lookup(const std::string& key) const {
  if (auto it = answers_.find(key); it != answers_.end()) return it->second;
  if (!tree_.empty() && !key.empty()) {
    std::string path = tree_;
    for (char c : key) (path += '/') += c;
    bool found = false;
    TileAnswer answer;
    answer.body = ReadFile(path + ".jpg", found);
    if (!found) {
      answer.body = ReadFile(path + ".png", found);
      answer.contentType = "image/png";
    }
    if (found) return answer;
  }
  return default_;
}

std::vector<RecordedRequest> TileServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t TileServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void TileServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

ProxyServer::ProxyServer() : server_(std::make_unique<httplib::Server>()) {
  server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    RecordedRequest record = Record(req);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(record);
    }
    // Only loopback targets: the tests never reach beyond this machine.
    constexpr std::string_view kLoopback = "http://127.0.0.1:";
    std::string_view target = req.target;
    int64_t port = 0;
    std::size_t slash = target.find('/', kLoopback.size());
    if (!target.starts_with(kLoopback) || slash == std::string_view::npos ||
        !ParseNumber(target.substr(kLoopback.size(), slash - kLoopback.size()), port)) {
      res.status = 502;
      return;
    }
    httplib::Client origin("127.0.0.1", static_cast<int>(port));
    origin.set_read_timeout(5, 0);
    httplib::Headers headers;
    if (req.has_header("Accept")) headers.emplace("Accept", req.get_header_value("Accept"));
    auto answer = origin.Get(std::string(target.substr(slash)).c_str(), headers);
    if (!answer) {
      res.status = 502;
      return;
    }
    res.status = answer->status;
    res.set_content(answer->body, answer->get_header_value("Content-Type").c_str());
  });
  StartListening(*server_, thread_, port_);
}

ProxyServer::~ProxyServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string ProxyServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<RecordedRequest> ProxyServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

RawServer::RawServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("raw server: no socket");
  int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    throw std::runtime_error("raw server: cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  close(listener_);
}

std::string RawServer::Url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

bool RawServer::SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void RawServer::Serve() {
  while (!stop_) {
    pollfd listening{listener_, POLLIN, 0};
    if (poll(&listening, 1, 50) <= 0) continue;
    int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    ++connections_;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
      // A pause ends the head too: a TLS hello never holds an empty line.
      pollfd readable{connection, POLLIN, 0};
      if (poll(&readable, 1, 200) <= 0) break;
      ssize_t n = recv(connection, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    handler_(connection, head);
    close(connection);
  }
}

}  // namespace tk::testing

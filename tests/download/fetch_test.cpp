#include "terrakon/download/fetch_plate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "common/error.h"
#include "tests/download/download_fixture.h"

namespace tk::testing {
namespace {

class FetchTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    ASSERT_TRUE(ApplyInetOptions(FastOptions(0)));
  }
  std::string TileUrl(const std::string& key) const { return server_.Url("/kh?v=1&t=" + key); }
};

TEST_F(FetchTest, OneGetStoresThePlateThroughTheTemporaryFile) {
  InetOptions logEvery = FastOptions(0);
  logEvery.INETLogFile = true;
  ASSERT_TRUE(ApplyInetOptions(logEvery));
  const std::string plate = JfifPlate();
  server_.Answer("tq", TileAnswer().Body(plate));
  const uint64_t bytes = DownloadedBytes(), files = DownloadedFiles();

  EXPECT_EQ(FetchPlate(TileUrl("tq"), "tq"), 200);
  EXPECT_TRUE(Logged("INET Loading: tq (" + TileUrl("tq") + ")"));

  ASSERT_EQ(server_.RequestCount(), 1u);
  RecordedRequest r = server_.Requests()[0];
  EXPECT_EQ(r.method + " " + r.target + " " + r.version, "GET /kh?v=1&t=tq HTTP/1.0");
  EXPECT_EQ(r.headers["accept"], "image/jpeg, image/png, */*");
  EXPECT_EQ(r.headers["user-agent"], "Microsoft Internet Explorer");
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{"t/q.jpg"});
  EXPECT_EQ(ReadWholeFile(PlatePath("tq")), plate);
  EXPECT_EQ(DownloadedBytes() - bytes, plate.size());
  EXPECT_EQ(DownloadedFiles() - files, 1u);
}

TEST_F(FetchTest, WholeBodyStoredWhateverTheNetworkDelivers) {
  const struct {
    const char* name;
    std::string body;
    std::size_t chunk;  // trickle: bytes per write, 0 for all at once
  } cases[] = {
      {"JFIF", JfifPlate(), 0},
      {"Exif", ExifPlate(), 0},
      {"PNG", PngPlate(), 0},
      {"1200 bytes: 1024 + 176", JpegBody(1200), 0},
      {"1500 bytes: 1024 + 476", JpegBody(1500), 0},
      {"2048 bytes: two full blocks", JpegBody(2048), 0},
      {"short reads of 100 bytes", JpegBody(3000), 100},
      {"short reads of 7 bytes", JpegBody(300), 7},
      {"12000 bytes, padded", JpegBody(12000), 0},
      {"10 bytes, not checked", "0123456789", 0},
      {"empty body", "", 0},
  };
  const char* keys[] = {"q", "r", "s", "t", "qq", "qr", "qs", "qt", "rq", "rr", "rs"};
  static_assert(std::size(keys) == std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i)
    server_.Answer(keys[i], TileAnswer().Body(cases[i].body).Trickle(cases[i].chunk, 2ms));

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(FetchPlate(TileUrl(keys[i]), keys[i]), 200) << cases[i].name;
    EXPECT_EQ(ReadWholeFile(PlatePath(keys[i])), cases[i].body) << cases[i].name;
  }
  for (const std::string& file : CacheFiles()) EXPECT_TRUE(file.ends_with(".jpg")) << file;
}

TEST_F(FetchTest, RefusalsAndServiceStatuses) {
  const std::string page = "<html><body>" + std::string(3000, 'x') + "</body></html>";
  const std::string shortPage = "<html>We are sorry...</html>";
  const struct {
    const char* name;
    TileAnswer answer;
    int status;
    std::string lastRequest;  // expected content; empty: no file
  } cases[] = {
      {"page instead of a picture", TileAnswer().Body(page, "text/html"), 403, page.substr(0, 1024)},
      {"short page", TileAnswer().Body(shortPage, "text/html"), 403, shortPage},
      {"service says 403", TileAnswer().Status(403).Body(page), 403, ""},
      {"service says 404", TileAnswer().Status(404), 404, ""},
      {"service says 502", TileAnswer().Status(502).Body("bad gateway"), 502, ""},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(LastRequestFile());
    server_.Answer("rst", c.answer);
    EXPECT_EQ(FetchPlate(TileUrl("rst"), "rst"), c.status) << c.name;
    EXPECT_EQ(CacheFiles(), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(ReadWholeFile(LastRequestFile()), c.lastRequest) << c.name;
    if (c.answer.status != 200) {
      EXPECT_EQ(FileLogCount("INET state " + std::to_string(c.status) + ": " + TileUrl("rst")), 1u) << c.name;
    }
  }
}

TEST_F(FetchTest, AvailablePlateNeedsNoRequest) {
  std::filesystem::create_directories(cache_ + "/q");
  WriteWholeFile(PlatePath("qt"), "cached");
  EXPECT_EQ(FetchPlate(TileUrl("qt"), "qt"), 200);
  EXPECT_EQ(server_.RequestCount(), 0u);
  EXPECT_EQ(ReadWholeFile(PlatePath("qt")), "cached");
}

TEST_F(FetchTest, BodyCutShortLeavesNothing) {
  server_.Answer("q", TileAnswer().Body(JpegBody(5000)).CutAfter(2000));
  EXPECT_EQ(FetchPlate(TileUrl("q"), "q"), 500);
  EXPECT_EQ(FileLogCount("!read file"), 1u);
  EXPECT_NE(ErrorText().find("Inet: "), std::string::npos) << ErrorText();
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{});
  EXPECT_EQ(server_.RequestCount(), 1u);  // a broken body is not sent again
}

TEST_F(FetchTest, SilentServerTimesOutAfterThreeSendAttempts) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0, 150)));
  server_.Answer("q", TileAnswer().Body(JfifPlate()).Delay(500ms));
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(FetchPlate(TileUrl("q"), "q"), 500);
  const auto took = std::chrono::steady_clock::now() - began;

  EXPECT_EQ(server_.RequestCount(), 3u);
  EXPECT_LT(took, 3s);  // three attempts of the answer time-out, never the server's whole delay
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(FileLogCount("!send req, retry " + std::to_string(i)), 1u) << i;
  EXPECT_TRUE(Logged("!send req, max retry 3 reached"));
  EXPECT_NE(ErrorText().find("No data from the server"), std::string::npos) << ErrorText();
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{});
}

TEST_F(FetchTest, SilenceInsideTheBodyIsAReadFailure) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0, 150)));
  server_.Answer("q", TileAnswer().Body(JpegBody(2000)).Trickle(1500, 600ms));
  EXPECT_EQ(FetchPlate(TileUrl("q"), "q"), 500);
  EXPECT_EQ(FileLogCount("!read file"), 1u);
  EXPECT_EQ(server_.RequestCount(), 1u);
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{});
}

TEST_F(FetchTest, RefusedConnectionTriedThreeTimes) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof a;
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  close(s);  // a port nobody listens on
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/kh?t=q";

  EXPECT_EQ(FetchPlate(url, "q"), 500);
  EXPECT_EQ(FileLogCount("!send req, retry"), 3u);
  EXPECT_NE(ErrorText().find("Inet: "), std::string::npos) << ErrorText();
}

TEST_F(FetchTest, ExistingPlateIsNeverReplaced) {
  // The plate appears while its download runs (another download won).
  server_.Answer("s", TileAnswer().Body(JfifPlate()).OnRequest([this] { WriteWholeFile(PlatePath("s"), "first"); }));
  EXPECT_EQ(FetchPlate(TileUrl("s"), "s"), 500);
  EXPECT_TRUE(Logged("!Rename loaded file: \"" + PlatePath("s", "jp") + "\" -> \"" + PlatePath("s") + "\""));
  EXPECT_EQ(ReadWholeFile(PlatePath("s")), "first");
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{"s.jpg"});
}

TEST_F(FetchTest, BadUrlsAndKeysFailWithoutTraffic) {
  const struct {
    std::string url, key, logged;
  } cases[] = {
      {"ftp://127.0.0.1/kh?t=q", "q", "ftp://127.0.0.1/kh?t=q"},
      {"http://127.0.0.1", "q", "http://127.0.0.1"},
      {TileUrl("q"), "../q", "Invalid plate key"},
      {TileUrl(""), "", "Invalid plate key"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FetchPlate(c.url, c.key), 500) << c.url;
    EXPECT_TRUE(Logged(c.logged)) << c.url;
  }
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(FetchTest, NotReadyWithoutInternetHandle) {
  ShutdownDownloader();
  EXPECT_EQ(FetchPlate(TileUrl("q"), "q"), 503);
  ASSERT_TRUE(StartDownloader({}));
  EXPECT_EQ(FetchPlate(TileUrl("q"), "q"), 503);
  EXPECT_EQ(FileLogCount("!handle: 0, (nil)"), 1u);
  EXPECT_EQ(FileLogCount("!handle: 1, (nil)"), 1u);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(FetchTest, ProxyGetsTheAbsoluteRequestAndCredentials) {
  ProxyServer proxy;
  InetOptions o = FastOptions(0);
  o.UseProxy = true;
  o.Proxy = proxy.Address();
  o.UseProxyUser = true;
  o.ProxyUser = "user";
  o.ProxyPwd = "pwd";
  ASSERT_TRUE(ApplyInetOptions(o));
  server_.SetDefault(TileAnswer().Body(JfifPlate()));

  EXPECT_EQ(FetchPlate(TileUrl("tt"), "tt"), 200);
  ASSERT_EQ(proxy.Requests().size(), 1u);
  RecordedRequest r = proxy.Requests()[0];
  EXPECT_EQ(r.method + " " + r.target + " " + r.version, "GET " + TileUrl("tt") + " HTTP/1.0");
  EXPECT_EQ(r.headers["proxy-authorization"], "Basic dXNlcjpwd2Q=");  // user:pwd
  EXPECT_EQ(server_.RequestCount(), 1u);
  EXPECT_TRUE(std::filesystem::exists(PlatePath("tt")));

  o.UseProxyUser = false;
  ASSERT_TRUE(ApplyInetOptions(o));
  EXPECT_EQ(FetchPlate(TileUrl("ts"), "ts"), 200);
  ASSERT_EQ(proxy.Requests().size(), 2u);
  EXPECT_EQ(proxy.Requests()[1].headers.count("proxy-authorization"), 0u);

  // Names without a dot are local: they go around the proxy.
  EXPECT_EQ(FetchPlate("http://localhost:" + std::to_string(server_.port()) + "/kh?v=1&t=tr", "tr"), 200);
  EXPECT_EQ(proxy.Requests().size(), 2u);
  EXPECT_EQ(server_.RequestCount(), 3u);
}

// HTTPS against a loopback TLS server whose certificate a test CA signed.
class HttpsTest : public FetchTest {
 protected:
  const std::string fixtures_ = TK_FIXTURES;
  TileServer tls_{fixtures_ + "/server.pem", fixtures_ + "/server.key"};
};

TEST_F(HttpsTest, CertificateIsVerified) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0, 3000)));  // handshakes are slow under the sanitizers
  tls_.SetDefault(TileAnswer().Body(JfifPlate()));
  const std::string url = tls_.Url("/kh?v=1&t=q");
  ASSERT_TRUE(url.starts_with("https://"));

  // Unknown to the system's CA store: refused, not silently accepted.
  EXPECT_EQ(FetchPlate(url, "q"), 500);
  EXPECT_TRUE(Logged("Secure connection to 127.0.0.1:" + std::to_string(tls_.port()) + " failed"));
  EXPECT_NE(ErrorText().find("certificate"), std::string::npos) << ErrorText();
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{});

  SetExtraCaFile(fixtures_ + "/ca.pem");
  EXPECT_EQ(FetchPlate(url, "q"), 200);
  EXPECT_EQ(ReadWholeFile(PlatePath("q")), JfifPlate());
  EXPECT_EQ(tls_.Requests().back().version, "HTTP/1.0");
}

TEST_F(HttpsTest, HandshakeWithPlainHttpServerFails) {
  ASSERT_TRUE(ApplyInetOptions(FastOptions(0, 2000)));
  RawServer plain([](int s, const std::string&) {
    RawServer::SendAll(s, "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
  });
  std::string url = plain.Url("/kh?t=q");
  url.insert(4, "s");
  EXPECT_EQ(FetchPlate(url, "q"), 500);
  EXPECT_TRUE(Logged("Secure connection to 127.0.0.1:" + std::to_string(plain.port()) + " failed"));
  EXPECT_NE(ErrorText().find("Inet: "), std::string::npos) << ErrorText();
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tk::testing

// Servers that break the protocol: nothing crashes, no ".jp" stays behind,
// and a ".jpg" is only ever the complete body.
#include <string>

#include "common/error.h"
#include "terrakon/download/fetch_plate.h"
#include "tests/download/download_fixture.h"

namespace tk::testing {
namespace {

class BadServerTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    ASSERT_TRUE(ApplyInetOptions(FastOptions(0, 300)));
  }
};

std::string Head(const std::string& lines) { return "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n" + lines + "\r\n"; }

TEST_F(BadServerTest, BrokenAnswersFailCleanly) {
  const std::string plate = JpegBody(5000);
  const struct {
    const char* name;
    RawServer::Handler handler;
    int status;
    std::string stored;  // the plate file's content afterwards; empty: none
    const char* logged;  // a log line that must be there, or ""
  } cases[] = {
      {"garbage instead of HTTP",
       [](int s, const std::string&) { RawServer::SendAll(s, "\x01\x02\x03 garbage\r\n\r\nmore garbage"); }, 500, "",
       ""},
      {"Content-Length longer than the body",
       [&](int s, const std::string&) { RawServer::SendAll(s, Head("Content-Length: 5000\r\n") + plate.substr(0, 2000)); },
       500, "", ""},
      {"Content-Length shorter than the body",
       [&](int s, const std::string&) { RawServer::SendAll(s, Head("Content-Length: 3000\r\n") + plate); }, 200,
       plate.substr(0, 3000), ""},
      {"bad Content-Length",
       [&](int s, const std::string&) { RawServer::SendAll(s, Head("Content-Length: -7\r\n") + plate); }, 500, "", ""},
      {"declared body above 16 MiB",
       [&](int s, const std::string&) {
         RawServer::SendAll(s, Head("Content-Length: 16777217\r\n") + plate.substr(0, 100));
       },
       500, "", "refused"},
      {"endless body",
       [&](int s, const std::string&) {
         RawServer::SendAll(s, Head("") + plate.substr(0, 1024));
         const std::string more(65536, 'x');
         for (int i = 0; i < 1024 && RawServer::SendAll(s, more); ++i) {  // at most 64 MiB
         }
       },
       500, "", "larger than 16777216 bytes"},
      {"status line only", [](int s, const std::string&) { RawServer::SendAll(s, "HTTP/1.0 200 OK\r\n"); }, 500, "",
       ""},
  };
  for (const auto& c : cases) {
    RawServer raw(c.handler);
    EXPECT_EQ(FetchPlate(raw.Url("/kh?t=q"), "q"), c.status) << c.name;
    if (c.stored.empty()) {
      EXPECT_EQ(CacheFiles(), std::vector<std::string>{}) << c.name;
    } else {
      EXPECT_EQ(ReadWholeFile(PlatePath("q")), c.stored) << c.name;
    }
    if (*c.logged) {
      EXPECT_TRUE(Logged(c.logged)) << c.name;
    }
    std::filesystem::remove(PlatePath("q"));
  }
}

}  // namespace
}  // namespace tk::testing

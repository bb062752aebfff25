#include "terrakon/download/plate_url.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "terrakon/download/downloader.h"
#include "terrakon/plates/plate_key.h"

namespace tk {
namespace {

// Plate (column 5, row 2 from the south) of level 3: key "sqs"; in XYZ terms
// x 5, y 7 - 2 = 5, quadkey 303 (s 3, q 0, s 3).
TEST(PlateUrl, PlaceholdersOrTheKeyAppended) {
  ASSERT_EQ(PlateKeyText(5, 2, 3), "sqs");
  const struct {
    const char* base;
    const char* url;
  } cases[] = {
      {"http://h/kh?v=11&n=404&t=t", "http://h/kh?v=11&n=404&t=tsqs"},
      {"https://h/{z}/{x}/{y}.jpg", "https://h/3/5/5.jpg"},
      {"http://h/tms/{z}/{x}/{ty}.png", "http://h/tms/3/5/2.png"},
      {"http://h/q/{quadkey}?k={key}&z={z}", "http://h/q/303?k=sqs&z=3"},
      {"http://h/{unknown}/{z", "http://h/{unknown}/{zsqs"},  // no placeholder: the key goes last
      {"", "sqs"},
  };
  for (const auto& c : cases) EXPECT_EQ(PlateUrl(c.base, 5, 2, 3, "sqs"), c.url) << c.base;
}

class PrepareRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartDownloader({})); }
  void TearDown() override {
    ShutdownDownloader();
    SetBaseUrls("http://127.0.0.1/kh?t=");
  }
};

TEST_F(PrepareRequestTest, BaseUrlsTakenInTurnStartingWithTheFirst) {
  SetBaseUrls("http://a/x?t=\x07http://b/y/{z}/{x}/{y}");
  std::string urls;
  for (int i = 0; i < 3; ++i) {
    GRequest r;
    ASSERT_TRUE(PrepareRequest(r, 1, 0, 1, std::nullopt));
    EXPECT_EQ(r.key, "s");
    urls += r.url + " ";
  }
  EXPECT_EQ(urls, "http://a/x?t=s http://b/y/1/1/1 http://a/x?t=s ");
}

TEST_F(PrepareRequestTest, FillsTheRequest) {
  SetBaseUrls("http://h/kh?t=" + std::string(290, 'a'));
  GRequest r;
  ASSERT_TRUE(PrepareRequest(r, 7, 8, 4, std::string(40, 'q')));
  EXPECT_EQ(r.column, 7);
  EXPECT_EQ(r.row, 8);
  EXPECT_EQ(r.zoom, 4);
  EXPECT_EQ(r.key, std::string(32, 'q'));       // a given key is cut to 32 letters
  EXPECT_EQ(r.url.size(), 260u);                 // the URL is cut to 260 characters
  EXPECT_EQ(r.urlLength, 14 + 290 + 32);         // its length is the whole one
}

TEST_F(PrepareRequestTest, FailsWithoutBaseUrlOrBeforeStart) {
  SetBaseUrls("");
  GRequest r;
  EXPECT_FALSE(PrepareRequest(r, 0, 0, 1, std::nullopt));
  EXPECT_EQ(ErrorText(), "Google base urls list is empty");

  ShutdownDownloader();
  SetBaseUrls("http://h/kh?t=");
  EXPECT_FALSE(PrepareRequest(r, 0, 0, 1, std::nullopt));
  EXPECT_EQ(ErrorText(), "INET not inited");
  EXPECT_FALSE(EnqueueRequest(r));
  EXPECT_EQ(ErrorText(), "INET not inited");
}

}  // namespace
}  // namespace tk

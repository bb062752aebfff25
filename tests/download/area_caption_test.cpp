#include <gtest/gtest.h>

#include "terrakon/download/area_loader.h"

namespace tk {
namespace {

TEST(AreaLoadingCaption, ShowsTheConnection) {
  InetOptions options;
  options.Proxy = "127.0.0.1:3128";
  EXPECT_EQ(AreaLoadingCaption(options), "Images loading (direct connection)");
  options.UseProxy = true;
  EXPECT_EQ(AreaLoadingCaption(options), "Images loading (127.0.0.1:3128)");
}

}  // namespace
}  // namespace tk

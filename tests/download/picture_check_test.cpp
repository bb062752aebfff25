#include "terrakon/download/picture_check.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/download/test_plates.h"

namespace tk {
namespace {

bool Check(const std::string& block) {
  return LooksLikePlatePicture(reinterpret_cast<const uint8_t*>(block.data()), block.size());
}

TEST(PictureCheck, AcceptsJpegWithJfifOrExifAndPng) {
  const struct {
    const char* name;
    std::string block;
    bool picture;
  } cases[] = {
      {"JFIF JPEG", testing::JfifPlate().substr(0, 1024), true},
      {"Exif JPEG", testing::ExifPlate().substr(0, 1024), true},
      {"PNG", testing::PngPlate().substr(0, 1024), true},
      {"Exif after an ICC segment", std::string("\xFF\xD8\xFF\xE2\x00\x04xx\xFF\xE1\x00\x08" "Exif\0\0", 18), true},
      {"comment before JFIF", std::string("\xFF\xD8\xFF\xFE\x00\x03z\xFF\xE0\x00\x10JFIF\0", 16), true},
      {"HTML page", "<html><head><title>Sorry</title></head><body>banned</body></html>", false},
      {"JFIF text without the JPEG start", std::string("\0\0\0\0\0\0JFIF\0\0\0\0", 14), false},
      {"JPEG without JFIF or Exif", std::string("\xFF\xD8\xFF\xDB\x00\x43\0\0\0\0\0\0", 12), false},
      {"segment length 0", std::string("\xFF\xD8\xFF\xE0\x00\x00JFIF\0\0", 12), false},
      {"segment runs past the block", std::string("\xFF\xD8\xFF\xE2\xFF\xF0xxxxxx", 12), false},
      {"PNG signature cut", std::string("\x89PNG\r\n", 6), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.block), c.picture) << c.name;
}

}  // namespace
}  // namespace tk

#include "terrakon/imageexport/image_export.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/error.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/imageexport/calibration_formats.h"
#include "tests/imageexport/export_fixture.h"

namespace tk {
namespace {

using Bgr = std::array<uint8_t, 3>;
constexpr Bgr kRed{0, 0, 255}, kBlue{255, 0, 0}, kGreen{0, 255, 0}, kGrey{0x7F, 0x7F, 0x7F};

class ImageExportTest : public testing::ExportTest {
 protected:
  // The selection of 25 x 12 plates at level 10, away from the world's edges.
  void Plan25x12() { Plan(10, 100, 200, 124, 211); }
  void Run() {
    exporter_.SetExportRunning(true);
    EXPECT_FALSE(exporter_.Running());
  }
  long Mtime(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mtim.tv_nsec + st.st_mtim.tv_sec * 1000000000L;
  }
};

TEST_F(ImageExportTest, SplitsIntoImagesWithOverlapsAndSkipsEmptyOnes) {
  PutPlate(100, 200, 10, 0, 0, 255);
  PutPlate(99, 199, 10, 255, 0, 0);  // in the overlap of the first image
  PutPlate(124, 211, 10, 0, 255, 0);
  Plan25x12();
  Run();
  EXPECT_TRUE(ui_.events.empty());
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"z10_001_001.map", "z10_001_001.png", "z10_003_002.map",
                                                  "z10_003_002.png"}));
  EXPECT_TRUE(Logged("Createing bitmap 3072x3072"));  // plates 99 ... 110 and 199 ... 210
  EXPECT_TRUE(Logged("Createing bitmap 1792x1024"));  // clamped to nothing: 119 ... 125, 209 ... 212
  EXPECT_TRUE(Logged("Filled 2 plates of 144 total"));
  EXPECT_TRUE(Logged("Result image does not contains loaded data. Skip save"));
  EXPECT_TRUE(Logged("Save bitmap [" + out_ + "/z10_001_001.png]..."));

  img::Bitmap first = Decode(out_ + "/z10_001_001.png");
  ASSERT_EQ(first.width, 3072);
  ASSERT_EQ(first.height, 3072);
  EXPECT_EQ(Pixel(first, 300, 3072 - 300), kRed);    // column 100, row 200
  EXPECT_EQ(Pixel(first, 10, 3072 - 10), kBlue);     // column 99, row 199: bottom left
  EXPECT_EQ(Pixel(first, 1000, 1000), kGrey);
  img::Bitmap last = Decode(out_ + "/z10_003_002.png");
  ASSERT_EQ(last.width, 1792);
  EXPECT_EQ(Pixel(last, 5 * 256 + 10, 1024 - 2 * 256 - 10), kGreen);  // column 124, row 211

  const ZoomPlanLevel& level = exporter_.Plan()[9];
  EXPECT_EQ(level.loaded, 3);
  EXPECT_EQ(level.loaded + level.notFound, 496);  // overlap plates are fetched for each image
  EXPECT_EQ(level.state, kLevelLoading);
  EXPECT_DOUBLE_EQ(level.percent, 100);
  EXPECT_EQ(ui_.pendingMessageCalls, 496);
}

TEST_F(ImageExportTest, WithoutTheLimitOneStreamedImagePerLevel) {
  PutPlate(100, 200, 10, 0, 0, 255);
  PutPlate(124, 211, 10, 0, 255, 0);
  settings::LimSize.Set(settings_.link, false);
  Plan25x12();
  Run();
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"z10_001_001.map", "z10_001_001.png"}));
  EXPECT_FALSE(Logged("Createing bitmap 6400x3072"));
  EXPECT_TRUE(Logged("Filled 2 plates of 300 total"));
  img::Bitmap b = Decode(out_ + "/z10_001_001.png");
  ASSERT_EQ(b.width, 6400);
  ASSERT_EQ(b.height, 3072);
  EXPECT_EQ(Pixel(b, 0, 3071), kRed);
  EXPECT_EQ(Pixel(b, 255, 2816), kRed);
  EXPECT_EQ(Pixel(b, 256, 2816), kGrey);
  EXPECT_EQ(Pixel(b, 6399, 0), kGreen);
}

// Gradient plates show any slip of rows, columns or colour order.
TEST_F(ImageExportTest, StreamedAndBitmapImagesHaveTheSamePixels) {
  for (int64_t x = 500; x < 503; ++x)
    for (int64_t y = 300; y < 302; ++y) {
      const std::string key = PlateKeyText(x, y, 11);
      ASSERT_TRUE(MakePlateDirs(key));
      img::Bitmap picture = testing::TestPicture(img::kBgr, 256, 256);
      picture.Row(int(x - 500))[0] = uint8_t(y);  // every plate differs
      testing::WriteFile(PlatePath(key), testing::Encode(picture, img::kFormatPng));
    }
  for (int format : {img::kFormatPng, img::kFormatTiff}) {
    settings::ImgFormat.Set(settings_.link, format);
    settings::UseTopo.Set(settings_.link, false);
    for (bool overlap : {false}) {
      settings::OverTop.Set(settings_.link, overlap);
      settings::OverLeft.Set(settings_.link, overlap);
      settings::OverRight.Set(settings_.link, overlap);
      settings::OverBottom.Set(settings_.link, overlap);
    }
    std::vector<img::Bitmap> results;
    for (bool limit : {true, false}) {
      settings::LimSize.Set(settings_.link, limit);
      settings::ImgOver.Set(settings_.link, kOverwriteExisting);
      Plan(11, 500, 300, 502, 301);
      Run();
      results.push_back(Decode(out_ + "/z11_001_001." + img::Format(format)->suffix));
    }
    ASSERT_EQ(results[0].width, 768);
    ASSERT_EQ(results[1].width, 768);
    ASSERT_EQ(results[0].height, 512);
    for (int y = 0; y < 512; ++y)
      ASSERT_EQ(std::memcmp(results[0].TopRow(y), results[1].TopRow(y), 768 * 3), 0) << format << " row " << y;
    EXPECT_NE(Pixel(results[0], 0, 0), Pixel(results[0], 0, 256));
  }
}

TEST_F(ImageExportTest, ATickedNoKeepsEveryFurtherExistingImage) {
  PutPlate(100, 200, 10, 0, 0, 255);
  PutPlate(124, 211, 10, 0, 255, 0);
  settings::UseTopo.Set(settings_.link, false);
  Plan25x12();
  Run();
  const std::string a = out_ + "/z10_001_001.png", b = out_ + "/z10_003_002.png";
  const long ta = Mtime(a), tb = Mtime(b);

  ui_.yesNoCancel = {{kAnswerNo, true}};
  Run();
  EXPECT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].text, "Image [" + a + "] already exist.\nOverwrite it?");
  EXPECT_EQ(Mtime(a), ta);
  EXPECT_EQ(Mtime(b), tb);
  EXPECT_TRUE(Logged("Leave existing file intact"));

  ui_.yesNoCancel = {{kAnswerYes, false}, {kAnswerCancel, false}};
  Run();
  EXPECT_EQ(ui_.events.size(), 3u);
  EXPECT_NE(Mtime(a), ta);
  EXPECT_EQ(Mtime(b), tb);

  // The fixed policies: cancel ends the run before the first file.
  settings::ImgOver.Set(settings_.link, kCancelExisting);
  Run();
  EXPECT_TRUE(Logged("Cancel writing images"));
  EXPECT_EQ(ui_.events.size(), 3u);
  EXPECT_EQ(OutFiles().size(), 2u);  // no temporary file left either
}

// Presses Cancel at the n-th plate.
class StopAt : public ExportObserver {
 public:
  explicit StopAt(int plate) : plate_(plate) {}
  void CurrentPlate(const std::string&) override {
    if (++plates_ == plate_) exporter->AskAbort();
  }
  void RunningChanged(bool running) override { changes.push_back(running); }
  ImageExport* exporter = nullptr;
  std::vector<bool> changes;

 private:
  int plate_;
  int plates_ = 0;
};

TEST_F(ImageExportTest, AbortingWhileFillingSavesNothingOfThatImage) {
  PutPlate(100, 200, 10, 0, 0, 255);
  for (bool limit : {true, false}) {
    settings::LimSize.Set(settings_.link, limit);
    StopAt stopper(20);
    ImageExport e(&settings_.link, &stopper);
    stopper.exporter = &e;
    e.SetProgressPeriod(std::chrono::milliseconds(0));
    ZoomTicks ticks{};
    ticks[9] = true;
    const int64_t u = PlateUnits(10);
    e.BuildPlan({100 * u, 200 * u, 125 * u - 1, 212 * u - 1}, ticks);
    ui_.yesNo = {true};
    e.SetExportRunning(true);
    EXPECT_EQ(stopper.changes, (std::vector<bool>{true, false}));
    EXPECT_TRUE(OutFiles().empty()) << limit;
    EXPECT_EQ(e.Plan()[9].state, kLevelLoading);
    EXPECT_EQ(ui_.events.back().text, "Abort export images?");
  }
}

TEST_F(ImageExportTest, AFolderThatCannotBeWrittenFailsClearlyAndLeavesNothing) {
  PutPlate(100, 200, 10, 0, 0, 255);
  const std::string blocker = dir_.File("not_a_folder");
  testing::WriteWholeFile(blocker, "x");
  settings::ImgOut.Set(settings_.link, blocker);
  for (bool limit : {true, false}) {
    settings::LimSize.Set(settings_.link, limit);
    Plan25x12();
    ui_.events.clear();
    Run();
    ASSERT_EQ(ui_.events.size(), 1u) << limit;
    EXPECT_EQ(ui_.events[0].kind, "error");
    EXPECT_EQ(ui_.events[0].text, "Error writing bitmap data: Cannot open file (Not a directory)");
  }
  EXPECT_EQ(testing::ReadWholeFile(blocker), "x");
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"not_a_folder", "out"}));
}

TEST_F(ImageExportTest, TheStartChecksTellWhatIsMissing) {
  const struct {
    const char* key;
    int value;
    const char* text;
  } cases[] = {
      {"ImgSaveWin/ImgFormat", -1, "Image format is not selected or wrong: -1"},
      {"ImgSaveWin/ImgFormat", 17, "Image format is not selected or wrong: 17"},
      {"ImgSaveWin/TopoFormat", 5, "Topo format is not selected or wrong: 5"},
      {"ImgSaveWin/TopoSameImg", 0, "Topo storage directory is not set"},
  };
  Plan25x12();
  for (const auto& c : cases) {
    testing::Settings s;
    settings::ImgOut.Set(s.link, out_);
    settings::ImgFormat.Set(s.link, img::kFormatPng);
    settings::TopoFormat.Set(s.link, 0);
    s.link.SetInt(c.key, c.value);
    ImageExport e(&s.link, nullptr);
    ui_.events.clear();
    e.SetExportRunning(true);
    ASSERT_EQ(ui_.events.size(), 1u);
    EXPECT_EQ(ui_.events[0].text, c.text);
    EXPECT_FALSE(e.Running());
  }
  testing::Settings s;
  ImageExport e(&s.link, nullptr);
  e.SetExportRunning(true);
  EXPECT_EQ(ui_.events.back().text, "Image storage directory is not set");
  EXPECT_TRUE(OutFiles().empty());
}

TEST_F(ImageExportTest, CalibrationFilesGoWhereTheyBelong) {
  PutPlate(100, 200, 10, 0, 0, 255);
  settings::GlobalCorrectX.Set(settings_.link, 1000);
  settings::OverLeft.Set(settings_.link, false);
  settings::OverBottom.Set(settings_.link, false);
  Plan(10, 100, 200, 100, 200);
  Run();
  const std::string map = out_ + "/z10_001_001.map";
  const auto lines = testing::ReadLines(map);
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[1], out_ + "/z10_001_001.png\r");
  // Plates 100 ... 101 and 200 ... 201: left edge 100 plates in, shifted west.
  const int64_t u = PlateUnits(10);
  char expected[96];
  std::snprintf(expected, sizeof expected, "MMPLL,1,%.6f,%.6f\r", Google2X(100 * u - 1000) - 180, Google2Y(202 * u));
  EXPECT_EQ(lines[49], expected);
  EXPECT_EQ(lines.back(), "IWH,Map Image Width/Height,512,512\r");

  // Elsewhere and with another extension.
  const std::string maps = dir_.File("maps");
  std::filesystem::create_directory(maps);
  settings::TopoSameImg.Set(settings_.link, false);
  settings::TopoOut.Set(settings_.link, maps + "/");
  settings::TopoExt.Set(settings_.link, "ozimap");
  settings::ImgOver.Set(settings_.link, kOverwriteExisting);
  Run();
  EXPECT_TRUE(std::filesystem::exists(maps + "/z10_001_001.ozimap"));

  // World files always lie beside the image.
  settings::TopoFormat.Set(settings_.link, kWorldFileFormat);
  Run();
  EXPECT_TRUE(std::filesystem::exists(out_ + "/z10_001_001.pgw"));
  EXPECT_TRUE(std::filesystem::exists(out_ + "/z10_001_001.prj"));

  // An existing calibration file and the policy "ask": cancel ends the run.
  ui_.yesNoCancel = {{kAnswerCancel, false}};
  Run();
  EXPECT_EQ(ui_.events.back().text, "Topo [" + out_ + "/z10_001_001.pgw] already exist.\nOverwrite it?");
}

TEST_F(ImageExportTest, AFolderWithATrailingSlashGivesSingleSlashes) {
  PutPlate(100, 200, 10, 0, 0, 255);
  settings::ImgOut.Set(settings_.link, out_ + "/");
  Plan(10, 100, 200, 100, 200);
  Run();
  EXPECT_TRUE(Logged("Save bitmap [" + out_ + "/z10_001_001.png]..."));
}

TEST_F(ImageExportTest, BigImagesAndFormatsThatTakeRowsAreStreamed) {
  ExportSettings s;
  s.imageFormat = img::kFormatJpeg;
  EXPECT_FALSE(ImageExport::Streams(s, 3072, 3072));
  EXPECT_TRUE(ImageExport::Streams(s, 13312, 13312));  // 507 MiB
  s.limitSize = false;
  EXPECT_TRUE(ImageExport::Streams(s, 256, 256));
  s.imageFormat = img::kFormatBmp;
  EXPECT_FALSE(ImageExport::Streams(s, 13312, 13312));
}

}  // namespace
}  // namespace tk

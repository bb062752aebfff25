#include "terrakon/download/area_loader.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <regex>

#include "common/paths.h"
#include "common/ui_services.h"
#include "terrakon/plates/plate_key.h"
#include "tests/download/download_fixture.h"

namespace tk::testing {
namespace {

// Answers questions from a queue and lets a test act while the run
// "processes its messages" (the user pressing a button meanwhile).
class RunUi final : public UiServices {
 public:
  RunUi() : previous_(SetUi(this)) {}
  ~RunUi() override { SetUi(previous_); }

  std::deque<bool> yesNo;
  std::vector<std::string> errors, questions;
  int pending = 0;
  std::function<void(int)> onPending;  // with the call's number, from 1

  void ShowError(const std::string& m) override { errors.push_back(m); }
  void ShowWarning(const std::string&) override {}
  bool AskYesNo(const std::string& q) override {
    questions.push_back(q);
    bool answer = !yesNo.empty() && yesNo.front();
    if (!yesNo.empty()) yesNo.pop_front();
    return answer;
  }
  int AskYesNoCancel(const std::string&, bool, bool*) override { return kAnswerCancel; }
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest&) override { return {}; }
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> FolderDialog(const std::string&, const std::string&) override { return {}; }
  void ProcessPendingMessages() override {
    ++pending;
    if (onPending) onPending(pending);
  }

 private:
  UiServices* previous_;
};

struct RecordingView : AreaLoadingView {
  std::string caption, current, time, firstCurrent, firstTime;
  std::vector<std::pair<std::string, std::string>> opened;
  void SetLoadCaption(const std::string& c) override { caption = c; }
  void SetCurrentText(const std::string& t) override {
    current = t;
    if (firstCurrent.empty()) firstCurrent = t;
  }
  void SetTimeText(const std::string& t) override {
    time = t;
    if (firstTime.empty()) firstTime = t;
  }
  void OpenReceivedFile(const std::string& path, const std::string& folder) override {
    opened.emplace_back(path, folder);
  }
};

class AreaLoaderTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    ASSERT_TRUE(ApplyInetOptions(FastOptions(0)));
    server_.SetDefault(TileAnswer().Body(JfifPlate()));
  }
  // Two by two plates of level 3 in the south-west: one plate at levels 1
  // and 2, four at 3, sixteen at 4.
  void Plan(std::initializer_list<int> levels) {
    ZoomTicks ticks{};
    for (int level : levels) ticks[level - 1] = true;
    loader_.BuildPlan(PixelRect{0, 0, 2 * PlateUnits(3) - 1, 2 * PlateUnits(3) - 1}, ticks);
  }
  const ZoomPlanLevel& Level(int level) const { return loader_.plan()[level - 1]; }
  std::vector<std::string> ServedKeys() const {
    std::vector<std::string> keys;
    for (const RecordedRequest& r : server_.Requests()) keys.push_back(r.key);
    return keys;
  }

  RunUi ui_;
  RecordingView view_;
  AreaLoader loader_{view_};
};

TEST_F(AreaLoaderTest, LevelsLowToHighColumnsOuterRowsInner) {
  Plan({3, 2});
  loader_.SetLoading(true);

  std::vector<std::string> expected{PlateKeyText(0, 0, 2)};
  for (int column = 0; column < 2; ++column)
    for (int row = 0; row < 2; ++row) expected.push_back(PlateKeyText(column, row, 3));
  EXPECT_EQ(ServedKeys(), expected);
  EXPECT_EQ(Level(2).loaded, 1);
  EXPECT_EQ(Level(3).loaded, 4);
  EXPECT_EQ(Level(3).percent, 100.0);
  EXPECT_EQ(Level(2).state, kLevelDone);
  EXPECT_EQ(Level(3).state, kLevelDone);
  EXPECT_EQ(Level(4).state, kLevelWaiting);
  for (const std::string& key : expected) EXPECT_TRUE(std::filesystem::exists(PlatePath(key))) << key;
  EXPECT_EQ(ui_.pending, 5);
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(view_.firstCurrent, "Zoom: 2 - 1, Total: 0 / 5\n" + PlateKeyText(0, 0, 2));
  EXPECT_TRUE(std::regex_match(view_.firstTime, std::regex(R"(\d\d-\w{3} \d\d:\d\d:\d\d -> (\?|\d\d-\w{3} \d\d:\d\d:\d\d Level: \d\d-\w{3} \d\d:\d\d:\d\d))")))
      << view_.firstTime;
  EXPECT_EQ(view_.caption, "&Load");
  EXPECT_EQ(view_.current, "");
  EXPECT_FALSE(loader_.loading());

  // A second run of the same window: every ticked level is done already.
  loader_.SetLoading(true);
  EXPECT_EQ(server_.RequestCount(), expected.size());
  EXPECT_EQ(view_.caption, "&Load");
}

TEST_F(AreaLoaderTest, PlatesInTheCacheCountAsLoadedWithoutTraffic) {
  Plan({3});
  for (int column = 0; column < 2; ++column)
    for (int row = 0; row < 2; ++row) {
      const std::string key = PlateKeyText(column, row, 3);
      ASSERT_TRUE(MakePlateDirs(key));
      WriteWholeFile(PlatePath(key), JfifPlate());
    }
  loader_.SetLoading(true);
  EXPECT_EQ(Level(3).loaded, 4);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(AreaLoaderTest, ErrorLimitCountsFailuresOfAllLevels) {
  server_.SetDefault(TileAnswer().Status(500));
  const struct {
    int limit;
    std::size_t requests;
    ZoomLevelState level3;
    const char* error;
  } cases[] = {
      {2, 2, kLevelWaiting, "Maximum number (2) of errors reached"},
      {0, 5, kLevelDone, nullptr},
  };
  for (const auto& c : cases) {
    server_.ClearRequests();
    ui_.errors.clear();
    Plan({2, 3});
    loader_.SetMaxErrors(c.limit);
    loader_.SetLoading(true);
    EXPECT_EQ(server_.RequestCount(), c.requests) << c.limit;
    EXPECT_EQ(Level(2).errors, 1) << c.limit;
    EXPECT_EQ(Level(2).state, kLevelDone) << c.limit;
    EXPECT_EQ(Level(3).state, c.level3) << c.limit;  // left unfinished: done again next time
    EXPECT_EQ(ui_.errors, c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{}) << c.limit;
    EXPECT_FALSE(loader_.loading());
  }
}

TEST_F(AreaLoaderTest, LevelWithoutAnyPlateStopsTheRun) {
  server_.SetDefault(TileAnswer().Status(404));
  Plan({3, 4});
  loader_.SetLoading(true);
  EXPECT_EQ(server_.RequestCount(), 4u);
  EXPECT_EQ(Level(3).notFound, 4);
  EXPECT_EQ(Level(3).state, kLevelDone);
  EXPECT_EQ(Level(4).state, kLevelWaiting);
  EXPECT_EQ(ui_.errors, std::vector<std::string>{"Not found single images at zoom 3\nDownloading is stopped."});
}

TEST_F(AreaLoaderTest, CancelAnsweredNoGoesOnAndYesStops) {
  Plan({3, 4});
  ui_.yesNo = {false, true};
  ui_.onPending = [this](int call) {
    if (call == 2 || call == 6) loader_.LoadPressed();
  };
  loader_.SetLoading(true);
  EXPECT_EQ(ui_.questions, (std::vector<std::string>{"Abort loading?", "Abort loading?"}));
  EXPECT_EQ(server_.RequestCount(), 6u);  // no plate is fetched after the cancel
  EXPECT_EQ(Level(3).state, kLevelDone);
  EXPECT_EQ(Level(4).state, kLevelWaiting);
  EXPECT_EQ(view_.caption, "&Load");

  // The next run of the same window does the cancelled level again, whole
  // (its two plates loaded before the cancel come from the disk cache).
  ui_.onPending = nullptr;
  loader_.SetLoading(true);
  EXPECT_EQ(server_.RequestCount(), 6u + 14u);
  EXPECT_EQ(Level(4).loaded, 16);
  EXPECT_EQ(Level(4).state, kLevelDone);
}

TEST_F(AreaLoaderTest, RefusalStopsAndOffersTheReceivedFile) {
  const std::string page = "<html>You are banned</html>";
  for (bool open : {true, false}) {
    server_.ClearRequests();
    std::filesystem::remove_all(cache_);
    std::filesystem::create_directories(cache_);
    view_.opened.clear();
    ui_.questions.clear();
    server_.Answer(PlateKeyText(0, 1, 3), TileAnswer().Body(page, "text/html"));
    Plan({2, 3});
    ui_.yesNo = {open};
    loader_.SetLoading(true);
    EXPECT_EQ(server_.RequestCount(), 3u) << open;
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_TRUE(ui_.questions[0].starts_with("Google returns wrong image!\n")) << ui_.questions[0];
    EXPECT_EQ(view_.opened.size(), open ? 1u : 0u);
    if (open) {
      EXPECT_EQ(view_.opened[0], std::make_pair(LastRequestFile(), ProgramFolder()));
    }
    EXPECT_EQ(ReadWholeFile(LastRequestFile()), page);
    EXPECT_EQ(Level(3).state, kLevelWaiting) << open;
    EXPECT_FALSE(loader_.loading());
  }
}

TEST_F(AreaLoaderTest, NothingToDoWithoutInternetOrBaseUrl) {
  Plan({2});
  SetBaseUrls("");
  loader_.SetLoading(true);
  EXPECT_EQ(ui_.errors, std::vector<std::string>{"Error setup item to download"});
  EXPECT_TRUE(Logged("Google base urls list is empty"));
  EXPECT_EQ(Level(2).state, kLevelWaiting);

  ShutdownDownloader();
  ui_.errors.clear();
  loader_.SetLoading(true);
  EXPECT_EQ(ui_.errors, std::vector<std::string>{"Inet lib not inited!"});
  EXPECT_FALSE(loader_.loading());
  EXPECT_EQ(server_.RequestCount(), 0u);
}

}  // namespace
}  // namespace tk::testing

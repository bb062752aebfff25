// The export to storage: the walk over a cache subtree, its zoom limits,
// deletion, progress and abort, the error question and the final boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/pr_period.h"
#include "terrakon/plugins/export_to_storage.h"
#include "tests/plugins/registry_fixture.h"

namespace tk {
namespace {

namespace fs = std::filesystem;

class ScriptedProgress final : public ExportProgress {
 public:
  void EnableAbort(bool enable) override { abortEnabled = enable; }
  void SetText(const std::string& text) override {
    texts.push_back(text);
    if (abortAfterTexts > 0 && static_cast<int>(texts.size()) >= abortAfterTexts) abort = true;
  }
  bool AbortRequested() override {
    const bool was = abort;
    abort = false;
    return was;
  }
  void ExploreFolder(const std::string& folder) override { explored.push_back(folder); }

  bool abortEnabled = false;
  bool abort = false;
  int abortAfterTexts = 0;
  std::vector<std::string> texts;
  std::vector<std::string> explored;
};

class ExportTest : public testing::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    cache_ = temp_.File("Cache");
    fs::create_directories(cache_);
    storage_ = temp_.File("store.db");
    request_.libraryName = FAKE_PLUGIN;
    request_.storagePath = temp_.File("store");  // the default extension is added
    request_.cacheDirectory = cache_;
  }

  void Plate(const std::string& relative, const std::string& data = "jpeg") {
    const fs::path path = fs::path(cache_) / relative;
    fs::create_directories(path.parent_path());
    testing::WriteWholeFile(path.string(), data);
  }
  bool Stored(const std::string& key) const { return fake_.Size(storage_, key) >= 0; }

  ExportResult Run() {
    // A period that never passes, unless a test wants progress texts.
    PRPeriod period(periodMs_, [this] { return std::chrono::milliseconds(clock_ += step_); });
    return ExportToStorage(request_, progress_, period);
  }

  std::string cache_, storage_;
  ExportRequest request_;
  ScriptedProgress progress_;
  std::chrono::milliseconds periodMs_{400};
  long long clock_ = 0;
  long long step_ = 0;
};

TEST_F(ExportTest, PrefixStartsBelowTheCacheWithTheOwnPlate) {
  Plate("q/r.jpg");
  Plate("q/r/s.jpg");
  Plate("q/r/s/T.JPG");  // names match without regard to case
  Plate("q/r/x.jpg");    // no plate name
  Plate("q/r/qq.jpg");
  Plate("q/s.jpg");      // outside the prefix
  request_.prefix = "qr";
  const ExportResult result = Run();
  EXPECT_EQ(result.outcome, ExportOutcome::kComplete);
  EXPECT_EQ(result.added, 4u);  // qrs also as the own plate of q/r/s
  EXPECT_TRUE(Stored("qr"));
  EXPECT_TRUE(Stored("qrs"));
  EXPECT_TRUE(Stored("qrst"));
  EXPECT_FALSE(Stored("qs"));
  EXPECT_TRUE(progress_.abortEnabled);
  ASSERT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].kind, "warning");
  EXPECT_EQ(ui_.events[0].text,
            "Export to \"" + storage_ + "\" complete.\n4 items are added successfully");
  // Unloaded afterwards: the action freed, Done called.
  EXPECT_EQ(fake_.Control().frees, 1);
  EXPECT_EQ(fake_.Control().dones, 1);
}

TEST_F(ExportTest, PlateBesideItsDirectoryIsStoredTwiceWithoutDelete) {
  Plate("q/r.jpg");
  Plate("q/r/s.jpg");
  EXPECT_EQ(Run().added, 3u);  // qr twice, qrs

  fake_.Reset();
  request_.deleteSources = true;
  EXPECT_EQ(Run().added, 2u);  // the second qr is gone by then
  EXPECT_FALSE(fs::exists(cache_ + "/q/r.jpg"));
  EXPECT_FALSE(fs::exists(cache_ + "/q/r"));  // emptied directories go too
  EXPECT_TRUE(fs::exists(cache_));
}

TEST_F(ExportTest, ZoomLimitsKeepOnlyTheirLevels) {
  Plate("q/r/s/t.jpg");
  Plate("q/r/s/t/q.jpg");
  Plate("q/r/s/t/q/r.jpg");
  Plate("q/r/s/t/q/r/s.jpg");
  request_.limitZoom = true;
  request_.zoomFrom = request_.zoomTo = 5;
  // qrstq from the listing and as its directory's own plate; q/r/s/t/q/r is
  // not entered.
  EXPECT_EQ(Run().added, 2u);
  EXPECT_TRUE(Stored("qrstq"));
  EXPECT_FALSE(Stored("qrst"));
}

TEST_F(ExportTest, AbortEndsWithoutTheQuestion) {
  for (const char* name : {"q.jpg", "r.jpg", "s.jpg", "t.jpg"}) Plate(name);
  step_ = 1000;  // every check is due
  progress_.abortAfterTexts = 2;
  const ExportResult result = Run();
  EXPECT_EQ(result.outcome, ExportOutcome::kStopped);
  EXPECT_EQ(result.added, 1u);
  ASSERT_EQ(progress_.texts.size(), 2u);
  const std::string& first = progress_.texts[0];  // listing order is the file system's
  EXPECT_EQ(first.substr(0, 10), "Added 0\n" + first.substr(8, 1) + "\n");
  EXPECT_EQ(first.substr(10), cache_ + "/" + first.substr(8, 1) + ".jpg");
  ASSERT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].kind, "warning");
  EXPECT_EQ(ui_.events[0].text, "Export to \"" + storage_ +
                                    "\" complete with error.\n1 items are added successfully\n"
                                    "Result error message: " + ErrorText(kErrorCancelled));
}

TEST_F(ExportTest, RefusedWriteAsksAndMayExploreTheFolder) {
  Plate("q.jpg");
  fake_.Put(storage_, "q", "old");
  request_.overwrite = false;  // keep: the plugin answers "not done"
  ui_.yesNo.push_back(true);
  const ExportResult result = Run();
  EXPECT_EQ(result.outcome, ExportOutcome::kStopped);
  EXPECT_EQ(result.added, 0u);
  ASSERT_EQ(ui_.events.size(), 2u);
  EXPECT_EQ(ui_.events[0].kind, "yesno");
  EXPECT_EQ(ui_.events[0].text, "Error adding item to storage.\nItem:" + cache_ +
                                    "/q.jpg\nError: Plate is already in the storage\n\nOpen error folder?");
  EXPECT_EQ(progress_.explored, std::vector<std::string>{cache_});
  EXPECT_NE(ui_.events[1].text.find("Result error message: Plate is already in the storage"),
            std::string::npos);
  EXPECT_TRUE(log_.Has("!Store plate data"));
  EXPECT_EQ(fake_.Size(storage_, "q"), 3);
}

TEST_F(ExportTest, LoadActionAndOpenFailuresEndAtOnce) {
  request_.libraryName = FAKE_BADMAGIC;
  EXPECT_EQ(Run().outcome, ExportOutcome::kNotStarted);
  request_.libraryName = FAKE_PLUGIN;
  fake_.Control().createReturnsNull = 1;
  EXPECT_EQ(Run().outcome, ExportOutcome::kNotStarted);
  fake_.Control().createReturnsNull = 0;
  fake_.Control().openResult = 0;
  EXPECT_EQ(Run().outcome, ExportOutcome::kNotStarted);
  ASSERT_EQ(ui_.events.size(), 3u);
  EXPECT_EQ(ui_.events[0].text, "Error loading storage plugin: Bad ID magic value");
  EXPECT_EQ(ui_.events[1].text,
            "Error loading create storage action: Error requesting new action from plugin");
  EXPECT_EQ(ui_.events[2].text,
            "Error initialize storage data \"" + request_.storagePath + "\": fake failure");
  // Nothing stays loaded, on every path.
  EXPECT_EQ(fake_.Control().inits, 2);
  EXPECT_EQ(fake_.Control().dones, 2);
}

TEST_F(ExportTest, ConfirmationNamesMoveOrCopy) {
  request_.prefix = "qt";
  ui_.yesNo = {true, false};
  EXPECT_TRUE(ConfirmExport(request_));
  request_.deleteSources = true;
  EXPECT_FALSE(ConfirmExport(request_));
  ASSERT_EQ(ui_.events.size(), 2u);
  EXPECT_EQ(ui_.events[0].text, "Start to copy loaded files to \"" + request_.storagePath +
                                    "\" storage begining from \"qt\" subdir?");
  EXPECT_EQ(ui_.events[1].text.substr(0, 13), "Start to MOVE");
}

}  // namespace
}  // namespace tk

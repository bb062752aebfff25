// The shipped storage plugins through the host objects: the contract both
// keep, then what each one's format promises to other tools.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "common/plugin_host.h"
#include "common/storage_action.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

namespace fs = std::filesystem;

const PluginHostInfo kHost = {PluginMagic, sizeof(PluginHostInfo), PluginHostVersionUtility, nullptr};

std::string Bytes(const void* data, std::uint32_t size) {
  return std::string(static_cast<const char*>(data), size);
}

// A plate's worth of bytes that differ per key and per version.
std::string PlateData(const std::string& key, int version = 0) {
  std::string data = "\xFF\xD8\xFF\xE0" + key + "#" + std::to_string(version);
  data.resize(1000 + key.size() * 37, static_cast<char>('a' + version));
  return data;
}

struct Item {
  std::string key;
  std::uint32_t size;
  std::string data;
};

struct Collected {
  std::vector<Item> items;
  int stopAfter = -1;
  GStorageAction* deleter = nullptr;  // deletes each item while enumerating
};

int32_t Collect(void* user, int32_t, const char* key, const void* data, uint32_t size) {
  auto* c = static_cast<Collected*>(user);
  c->items.push_back({key, size, data ? Bytes(data, size) : std::string()});
  if (c->deleter && c->deleter->Write(key, nullptr, 0, StorageWriteDelete) != StorageOk) return 0;
  return static_cast<int>(c->items.size()) == c->stopAfter ? 0 : 1;
}

class StorageContractTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    plugin_ = LoadPlugin(GetParam(), &kHost);
    ASSERT_NE(plugin_, nullptr) << ErrorText();
    action_ = CreateStorageAction(*plugin_);
    ASSERT_NE(action_, nullptr);
    path_ = temp_.File("store");
    ASSERT_TRUE(action_->Open(path_)) << ErrorText();
  }

  std::string Get(const std::string& key) {
    const void* data = nullptr;
    std::uint32_t size = 0;
    const int result = action_->Get(key, &data, &size);
    if (result != StorageOk) return "<" + std::to_string(result) + ">";
    return Bytes(data, size);
  }
  void Reopen() {
    ASSERT_TRUE(action_->Close());
    ASSERT_TRUE(action_->Open(path_)) << ErrorText();
  }
  std::set<std::string> Keys(const std::string& prefix) {
    Collected c;
    action_->Enumerate(prefix, Collect, EnumerateKeys, &c);
    std::set<std::string> keys;
    for (const Item& item : c.items) keys.insert(item.key);
    return keys;
  }

  testing::TempDir temp_;
  std::unique_ptr<GStoragePlugin> plugin_;
  GStorageAction* action_ = nullptr;
  std::string path_;
};

TEST_P(StorageContractTest, OpeningCreatesNothingUntilTheFirstWrite) {
  EXPECT_TRUE(temp_.Entries().empty());
  EXPECT_EQ(action_->Check("q"), StorageNotFound);
  auto ignore = [](void*, int32_t, const char*, const void*, uint32_t) -> int32_t { return 1; };
  EXPECT_EQ(action_->Enumerate("", ignore, EnumerateKeys, nullptr), EnumerateEmpty);
  EXPECT_EQ(action_->Write("q", nullptr, 0, StorageWriteDelete), StorageNotFound);
  EXPECT_TRUE(temp_.Entries().empty());
  EXPECT_FALSE(action_->Open(temp_.File("missing/folder/store")));
  EXPECT_TRUE(temp_.Entries().empty());
}

TEST_P(StorageContractTest, WriteOperationsAndPersistence) {
  const std::string key = "qrstqrst";
  ASSERT_EQ(action_->Write(key, PlateData(key).data(), PlateData(key).size(), StorageWriteReplace),
            StorageOk)
      << ErrorText();
  EXPECT_EQ(action_->Check(key), StorageOk);
  EXPECT_EQ(action_->Check("qrstqrsq"), StorageNotFound);
  EXPECT_EQ(Get(key), PlateData(key));
  // Keep leaves a present plate alone and says "not done".
  const std::string v1 = PlateData(key, 1);
  EXPECT_EQ(action_->Write(key, v1.data(), v1.size(), StorageWriteKeep), StorageNotFound);
  EXPECT_EQ(Get(key), PlateData(key));
  EXPECT_EQ(action_->Write(key, v1.data(), v1.size(), StorageWriteReplace), StorageOk);
  Reopen();
  EXPECT_EQ(Get(key), v1);
  EXPECT_EQ(action_->Write(key, nullptr, 0, StorageWriteDelete), StorageOk);
  EXPECT_EQ(action_->Write(key, nullptr, 0, StorageWriteDelete), StorageNotFound);
  EXPECT_EQ(Get(key), "<1>");
  Reopen();
  EXPECT_EQ(action_->Check(key), StorageNotFound);
}

TEST_P(StorageContractTest, BadKeysAndRequestsAreErrorsNotCrashes) {
  const std::string data = PlateData("q");
  for (const std::string& key : {std::string(), std::string("qx"), std::string("Q"),
                                 std::string(31, 'q'), std::string("../q"), std::string("q/r")}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(action_->Check(key), StorageError);
    EXPECT_EQ(ErrorText(), "Invalid plate key");
    EXPECT_EQ(Get(key), "<2>");
    EXPECT_EQ(action_->Write(key, data.data(), data.size(), StorageWriteReplace), StorageError);
  }
  EXPECT_EQ(action_->Write("q", data.data(), data.size(), 7), StorageError);
  EXPECT_EQ(action_->Write("q", nullptr, 5, StorageWriteReplace), StorageError);
  EXPECT_EQ(action_->Write("q", data.data(), 0, StorageWriteReplace), StorageError);
  auto ignore = [](void*, int32_t, const char*, const void*, uint32_t) -> int32_t { return 1; };
  EXPECT_EQ(action_->Enumerate("qx", ignore, EnumerateKeys, nullptr), StorageError);
  EXPECT_EQ(action_->Enumerate("", ignore, 5, nullptr), StorageError);
  // Straight through the table, as a careless host would call it.
  StorageActionInfo* record = action_->Record();
  EXPECT_EQ(record->Ops->Check(record, nullptr), StorageError);
  const void* out = nullptr;
  EXPECT_EQ(record->Ops->Get(record, "q", &out, nullptr), StorageError);
  EXPECT_EQ(record->Ops->Enumerate(record, "", nullptr, EnumerateKeys, nullptr), EnumerateFailed);
  char text[4];
  record->Ops->GetErrorText(record, text, sizeof text);  // cut to the buffer
  EXPECT_EQ(std::string(text).size(), 3u);
}

TEST_P(StorageContractTest, EnumerateByPrefixInBothModes) {
  const std::vector<std::string> keys = {"q", "t", "qt", "qr", "qtr", "qts", "qtsq", "rrr", "qtttttttttttttttt"};
  for (const std::string& key : keys)
    ASSERT_EQ(action_->Write(key, PlateData(key).data(), PlateData(key).size(), StorageWriteReplace),
              StorageOk);
  EXPECT_EQ(Keys(""), std::set<std::string>(keys.begin(), keys.end()));
  EXPECT_EQ(Keys("qt"), (std::set<std::string>{"qt", "qtr", "qts", "qtsq", "qtttttttttttttttt"}));
  EXPECT_EQ(Keys("qts"), (std::set<std::string>{"qts", "qtsq"}));
  Collected c;
  EXPECT_EQ(action_->Enumerate("s", Collect, EnumerateKeys, &c), EnumerateEmpty);

  Collected withData;
  EXPECT_EQ(action_->Enumerate("qt", Collect, EnumerateData, &withData), EnumerateFinished);
  for (const Item& item : withData.items) {
    EXPECT_EQ(item.data, PlateData(item.key)) << item.key;
    EXPECT_EQ(item.size, PlateData(item.key).size());
  }
  Collected sizes;
  action_->Enumerate("", Collect, EnumerateKeys, &sizes);
  for (const Item& item : sizes.items) EXPECT_EQ(item.size, PlateData(item.key).size()) << item.key;

  Collected stopped;
  stopped.stopAfter = 2;
  EXPECT_EQ(action_->Enumerate("", Collect, EnumerateData, &stopped), EnumerateStopped);
  EXPECT_EQ(stopped.items.size(), 2u);
}

TEST_P(StorageContractTest, DeletingWhileEnumeratingSeesEveryPlateOnce) {
  std::set<std::string> written;
  for (int i = 0; i < 700; ++i) {  // more than one page of an enumeration
    std::string key = "q";
    for (int bit = 18; bit >= 0; bit -= 2) key += "qrst"[(i >> bit) & 3];
    key.resize(2 + i % 9);
    if (!written.insert(key).second) continue;
    ASSERT_EQ(action_->Write(key, PlateData(key).data(), PlateData(key).size(), StorageWriteReplace),
              StorageOk);
  }
  Collected c;
  c.deleter = action_;
  EXPECT_EQ(action_->Enumerate("", Collect, EnumerateData, &c), EnumerateFinished) << ErrorText();
  std::set<std::string> seen;
  for (const Item& item : c.items) EXPECT_TRUE(seen.insert(item.key).second) << item.key;
  EXPECT_EQ(seen, written);
  Reopen();
  EXPECT_TRUE(Keys("").empty());
}

TEST_P(StorageContractTest, ChecksAndGetsFromSeveralThreads) {
  std::vector<std::string> keys;
  for (const char* key : {"q", "qr", "qrs", "qrst", "r", "rs", "rst", "s"}) {
    keys.push_back(key);
    ASSERT_EQ(action_->Write(key, PlateData(key).data(), PlateData(key).size(), StorageWriteReplace),
              StorageOk);
  }
  std::atomic<int> errors{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 400; ++i) {
        const std::string& key = keys[(i + t) % keys.size()];
        const void* data = nullptr;
        std::uint32_t size = 0;
        if (action_->Check(key) != StorageOk) ++errors;
        // Our plugins keep one block per thread: read it whenever.
        if (action_->Get(key, &data, &size) != StorageOk || Bytes(data, size) != PlateData(key))
          ++errors;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(errors.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Plugins, StorageContractTest, ::testing::Values(MBTILES_PLUGIN, TILEDIR_PLUGIN),
                         [](const auto& info) {
                           return std::string(info.param).find("mbtiles") != std::string::npos
                                      ? "mbtiles"
                                      : "tiledir";
                         });

// ---- MBTiles ----

// Runs a command; its standard output, or nullopt when it cannot run.
std::optional<std::string> Output(const std::string& command, int* status = nullptr) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string text;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return text;
}

bool HaveTool(const char* name) {
  int status = -1;
  Output(std::string("command -v ") + name, &status);
  return status == 0;
}

class MbtilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = LoadPlugin(MBTILES_PLUGIN, &kHost);
    ASSERT_NE(plugin_, nullptr) << ErrorText();
    action_ = CreateStorageAction(*plugin_);
    ASSERT_NE(action_, nullptr);
    file_ = temp_.File("Moon.mbtiles");
  }
  void Store(const std::string& key, const std::string& data) {
    ASSERT_EQ(action_->Write(key, data.data(), data.size(), StorageWriteReplace), StorageOk)
        << ErrorText();
  }
  std::vector<std::string> Query(const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_exec(db, sql.c_str(),
                   [](void* user, int n, char** values, char**) {
                     std::string row;
                     for (int i = 0; i < n; ++i) {
                       if (i) row += '|';
                       if (values[i]) row += values[i];
                     }
                     static_cast<std::vector<std::string>*>(user)->push_back(row);
                     return 0;
                   },
                   &rows, nullptr);
    }
    sqlite3_close(db);
    return rows;
  }

  testing::TempDir temp_;
  std::unique_ptr<GStoragePlugin> plugin_;
  GStorageAction* action_ = nullptr;
  std::string file_;
};

TEST_F(MbtilesTest, LayoutOfTheFile) {
  EXPECT_STREQ(action_->DefaultExt(), "mbtiles");
  ASSERT_TRUE(action_->Open(temp_.File("Moon")));  // the default extension is added
  EXPECT_EQ(action_->OpenedPath(), file_);
  const std::string jpeg = testing::ReadWholeFile(TK_FIXTURES "/plate_blue.jpg");
  // Rows count from the south, as plates do: "q" is the north-west quarter.
  Store("q", jpeg);
  Store("t", jpeg);
  Store("rs", jpeg);
  ASSERT_TRUE(action_->Close());

  EXPECT_EQ(Query("SELECT zoom_level, tile_column, tile_row, length(tile_data) FROM tiles"
                  " ORDER BY zoom_level, tile_column, tile_row"),
            (std::vector<std::string>{"1|0|0|" + std::to_string(jpeg.size()),
                                      "1|0|1|" + std::to_string(jpeg.size()),
                                      "2|3|2|" + std::to_string(jpeg.size())}));
  std::map<std::string, std::string> metadata;
  for (const std::string& row : Query("SELECT name, value FROM metadata"))
    metadata[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
  EXPECT_EQ(metadata["name"], "Moon");
  EXPECT_EQ(metadata["format"], "jpg");
  EXPECT_EQ(metadata["minzoom"], "1");
  EXPECT_EQ(metadata["maxzoom"], "2");
  EXPECT_EQ(metadata["bounds"], "-180.00000000,-85.05112878,180.00000000,85.05112878");
  EXPECT_EQ(Query("PRAGMA application_id"), std::vector<std::string>{"1297105496"});
  // Metadata follows deletions when the file is closed.
  ASSERT_TRUE(action_->Open(file_));
  ASSERT_EQ(action_->Write("q", nullptr, 0, StorageWriteDelete), StorageOk);
  ASSERT_EQ(action_->Write("t", nullptr, 0, StorageWriteDelete), StorageOk);
  ASSERT_TRUE(action_->Close());
  EXPECT_EQ(Query("SELECT value FROM metadata WHERE name IN ('minzoom', 'bounds') ORDER BY name"),
            (std::vector<std::string>{"90.00000000,0.00000000,180.00000000,66.51326044", "2"}));
}

TEST_F(MbtilesTest, OtherToolsOpenTheFile) {
  ASSERT_TRUE(action_->Open(file_));
  const std::string jpeg = testing::ReadWholeFile(TK_FIXTURES "/plate_blue.jpg");
  for (const char* key : {"t", "ts", "tr", "tsq"}) Store(key, jpeg);
  ASSERT_TRUE(action_->Close());
  int found = 0;
  if (HaveTool("sqlite3")) {
    ++found;
    EXPECT_EQ(Output("sqlite3 '" + file_ + "' 'PRAGMA integrity_check; SELECT count(*) FROM tiles;'"),
              "ok\n4\n");
  }
  if (HaveTool("gdalinfo")) {
    ++found;
    const std::string info = Output("gdalinfo '" + file_ + "'").value_or("");
    EXPECT_NE(info.find("Driver: MBTiles/MBTiles"), std::string::npos) << info;
    EXPECT_NE(info.find("ZOOM_LEVEL=3"), std::string::npos) << info;
    EXPECT_NE(info.find("Band 1 Block=256x256 Type=Byte"), std::string::npos) << info;
  }
  if (found == 0) GTEST_SKIP() << "neither sqlite3 nor gdalinfo is installed";
}

TEST_F(MbtilesTest, FilesOfOtherKindsAreRefused) {
  testing::WriteWholeFile(file_, "this is no database, just text that is long enough to look");
  EXPECT_FALSE(action_->Open(file_));
  EXPECT_NE(ErrorText().find("not a database"), std::string::npos) << ErrorText();

  const std::string other = temp_.File("other.db");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE things (x)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_FALSE(action_->Open(other));
  EXPECT_EQ(ErrorText(), "Not an MBTiles file: " + other);
  EXPECT_EQ(testing::ReadWholeFile(file_).substr(0, 7), "this is");  // untouched
}

TEST_F(MbtilesTest, ManyWritesSpanSeveralTransactions) {
  ASSERT_TRUE(action_->Open(file_));
  const std::string data(3000, 'x');
  int written = 0;
  for (int i = 0; i < 2500; ++i) {
    std::string key;
    for (int bit = 22; bit >= 0; bit -= 2) key += "qrst"[(i >> bit) & 3];
    if (action_->Write(key.substr(0, 6) + key, data.data(), data.size(), StorageWriteReplace) ==
        StorageOk)
      ++written;
  }
  EXPECT_EQ(written, 2500);
  ASSERT_TRUE(action_->Close());
  EXPECT_EQ(Query("SELECT count(*) FROM tiles"), std::vector<std::string>{"2500"});
}

// ---- Tile folder ----

TEST(TiledirTest, FolderLayoutCountsRowsFromTheNorth) {
  testing::TempDir temp;
  auto plugin = LoadPlugin(TILEDIR_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr) << ErrorText();
  EXPECT_TRUE(plugin->UsesDir());
  GStorageAction* action = CreateStorageAction(*plugin);
  const std::string root = temp.File("tiles");
  ASSERT_TRUE(action && action->Open(root));
  for (const char* key : {"q", "t", "rs"}) {
    const std::string data = PlateData(key);
    ASSERT_EQ(action->Write(key, data.data(), data.size(), StorageWriteReplace), StorageOk);
  }
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).string());
  EXPECT_EQ(files, (std::set<std::string>{"1/0/0.jpg", "1/0/1.jpg", "2/3/1.jpg"}));
  EXPECT_EQ(testing::ReadWholeFile(root + "/2/3/1.jpg"), PlateData("rs"));

  // Files the layout does not name are no plates.
  for (const char* stray : {"1/0/00.jpg", "1/0/a.jpg", "1/0/2.jpg", "1/9/0.jpg", "01/0/0.jpg",
                            "1/0/0.png", "31/0/0.jpg"}) {
    fs::create_directories(fs::path(root + "/" + stray).parent_path());
    testing::WriteWholeFile(root + "/" + stray, "x");
  }
  Collected c;
  EXPECT_EQ(action->Enumerate("", Collect, EnumerateKeys, &c), EnumerateFinished);
  std::set<std::string> keys;
  for (const Item& item : c.items) keys.insert(item.key);
  EXPECT_EQ(keys, (std::set<std::string>{"q", "t", "rs"}));

  // Deleting the last plate of a column removes its empty folders.
  ASSERT_EQ(action->Write("rs", nullptr, 0, StorageWriteDelete), StorageOk);
  EXPECT_FALSE(fs::exists(root + "/2"));
}

}  // namespace
}  // namespace tk

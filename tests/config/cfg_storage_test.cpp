#include "terrakon/config/cfg_storage.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/paths.h"
#include "tests/support/temp_dir.h"
#include "terrakon/config/storage_link.h"

namespace tk {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class CfgStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    storage.SetAutoLoad(false);
    storage.SetFileName(folder.File("Terrakon.hcfg"));
  }
  // Saves a small tree as the user's current file and returns its bytes.
  Bytes SaveGoodFile() {
    storage.Root().SetString("IDE/Cache", "tiles");
    EXPECT_TRUE(storage.SaveFile()) << ErrorText();
    return ReadBytes(storage.FullPath());
  }

  TempDir folder;
  HCfgStorage storage;
};

TEST_F(CfgStorage, FileNameRules) {
  HCfgStorage relative;
  relative.SetAutoLoad(false);
  relative.SetFileName("Terrakon.hcfg");
  EXPECT_EQ(relative.FullPath(), ProgramFolder() + "/Terrakon.hcfg");
  EXPECT_TRUE(relative.AutoSave());

  HCfgStorage unnamed;
  EXPECT_FALSE(unnamed.LoadFile());
  EXPECT_FALSE(unnamed.SaveFile());

  // Too long a path is refused, not cut to another file's name.
  HCfgStorage longName;
  longName.SetAutoLoad(false);
  longName.SetFileName(folder.File(std::string(300, 'x')));
  EXPECT_FALSE(longName.SaveFile());
  EXPECT_NE(ErrorText().find("longer"), std::string::npos);
}

TEST_F(CfgStorage, AutoLoadLoadsWhenTheNameIsSet) {
  SaveGoodFile();
  HCfgStorage loading;  // AutoLoad is on by default
  EXPECT_TRUE(loading.AutoLoad());
  loading.SetFileName(storage.FullPath());
  EXPECT_EQ(loading.Root().GetString("IDE/Cache", ""), "tiles");

  HCfgStorage manual;
  manual.SetAutoLoad(false);
  manual.SetFileName(storage.FullPath());
  EXPECT_EQ(manual.Root().ItemCount(), 0u);
  EXPECT_TRUE(manual.LoadFile());
  EXPECT_EQ(manual.Root().GetString("IDE/Cache", ""), "tiles");
}

// The store's events come first, then the links' in binding order; only
// links that are still bound are called.
TEST_F(CfgStorage, EventsRunStoreFirstThenLinksInBindingOrder) {
  std::vector<std::string> calls;
  storage.OnSave = [&](HCfgStorage& s) {
    calls.push_back("store save");
    s.Root().SetInt("IDE/Written", 1);  // settings written on save reach the file
  };
  storage.OnLoad = [&](HCfgStorage&) { calls.push_back("store load"); };
  HStorageLink first(&storage, "IDE");
  HStorageLink second(&storage, "Other");
  HStorageLink unbound;
  for (auto* link : {&first, &second, &unbound}) {
    const std::string name = link == &first ? "first" : link == &second ? "second" : "unbound";
    link->OnSave = [&calls, name](HCfgStorage&) { calls.push_back(name + " save"); };
    link->OnLoad = [&calls, name](HCfgStorage&) { calls.push_back(name + " load"); };
  }
  first.SetStorage(nullptr);
  first.SetStorage(&storage);  // rebinding moves it to the end

  ASSERT_TRUE(storage.SaveFile());
  ASSERT_TRUE(storage.LoadFile());
  const std::vector<std::string> expected = {"store save", "second save", "first save",
                                             "store load", "second load", "first load"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(storage.Root().GetInt("IDE/Written", 0), 1);

  // A handler that unbinds a later link keeps it from being called.
  calls.clear();
  second.OnLoad = [&](HCfgStorage&) { first.SetStorage(nullptr); };
  ASSERT_TRUE(storage.LoadFile());
  EXPECT_EQ(calls, (std::vector<std::string>{"store load"}));
}

TEST_F(CfgStorage, LinkWorksBelowItsKeyPath) {
  HStorageLink link(&storage, "IDE");
  EXPECT_EQ(link.GetInt("MaxCount", 100), 100);
  EXPECT_EQ(storage.Root().FindItem("IDE/MaxCount")->ItemType(), kTypeInt);
  link.SetColor("C", 0x123456);
  EXPECT_EQ(storage.Root().GetColor("IDE\\C", 0), 0x123456u);
  HConfigItem* window = link.SubItem("Window");
  EXPECT_EQ(window, storage.Root().FindItem("IDE/Window"));

  link.SetKeyPath("CE/Sub");  // takes effect at once
  link.SetInt64("X", 1ll << 40);
  EXPECT_EQ(storage.Root().GetInt64("CE/Sub/X", 0), 1ll << 40);
  ASSERT_EQ(storage.Links().size(), 1u);
  EXPECT_EQ(storage.Links()[0], &link);
}

TEST(StorageLink, IsDetachedWhenItsStoreGoesAndLeavesWhenDestroyed) {
  auto store = std::make_unique<HCfgStorage>();
  HStorageLink link(store.get(), "IDE");
  {
    HStorageLink temporary(store.get());
    EXPECT_EQ(store->Links().size(), 2u);
  }
  ASSERT_EQ(store->Links().size(), 1u);
  EXPECT_EQ(store->Links()[0], &link);

  store.reset();
  EXPECT_EQ(link.Storage(), nullptr);
  EXPECT_EQ(link.LinkItem(), nullptr);
  EXPECT_EQ(link.SubItem("Window"), nullptr);
  // Reads give their defaults, writes their arguments.
  EXPECT_EQ(link.GetInt("a", 3), 3);
  EXPECT_EQ(link.GetString("a", "d"), "d");
  EXPECT_EQ(link.GetInt64("a", -9), -9);
  EXPECT_EQ(link.SetBool("a", true), true);
  EXPECT_EQ(link.SetString("a", "v"), "v");
}

// A save that cannot complete leaves the previous file as it was and no
// temporary file behind.
TEST_F(CfgStorage, FailedSaveKeepsThePreviousFile) {
  const Bytes good = SaveGoodFile();
  const std::vector<std::string> entries = folder.Entries();

  // The tree cannot be stored: a name too long for its 16-bit length.
  storage.Root().SetInt(std::string(70000, 'n'), 1);
  EXPECT_FALSE(storage.SaveFile());
  EXPECT_EQ(ReadBytes(storage.FullPath()), good);
  EXPECT_EQ(folder.Entries(), entries);
  storage.Root().DeleteItem(storage.Root().ItemAt(1));

  // The disk refuses the writes part-way: a file size limit (holds for root too).
  storage.Root().SetString("IDE/Big", std::string(200000, 'b'));
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = storage.SaveFile();
  const int error = GetLastError();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadBytes(storage.FullPath()), good);
  EXPECT_EQ(folder.Entries(), entries);

  // The complete file cannot replace the target: it is a folder.
  HCfgStorage onFolder;
  onFolder.SetAutoLoad(false);
  std::filesystem::create_directory(folder.File("dir"));
  WriteBytes(folder.File("dir/inside"), good);
  onFolder.SetFileName(folder.File("dir"));
  EXPECT_FALSE(onFolder.SaveFile());
  EXPECT_EQ(ReadBytes(folder.File("dir/inside")), good);
  EXPECT_EQ(folder.Entries().size(), entries.size() + 1);
}

TEST_F(CfgStorage, SaveKeepsPermissionsAndLinks) {
  SaveGoodFile();
  ASSERT_EQ(chmod(storage.FullPath().c_str(), 0640), 0);
  storage.Root().SetInt("more", 1);
  ASSERT_TRUE(storage.SaveFile());
  struct stat st;
  ASSERT_EQ(stat(storage.FullPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // Saving through a symbolic link replaces the file it points to.
  const std::string link = folder.File("link.hcfg");
  std::filesystem::create_symlink(storage.FullPath(), link);
  HCfgStorage viaLink;
  viaLink.SetFileName(link);
  viaLink.Root().SetInt("viaLink", 1);
  ASSERT_TRUE(viaLink.SaveFile());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  storage.Root().ClearItems();
  ASSERT_TRUE(storage.LoadFile());
  EXPECT_EQ(storage.Root().GetInt("viaLink", 0), 1);
}

}  // namespace
}  // namespace tk

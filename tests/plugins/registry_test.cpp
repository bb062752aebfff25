// The plugin list and the storage items: adding and freeing plugins,
// activation and its failures, the notifications, and the lists in the
// configuration store.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/storage_action.h"
#include "terrakon/config/cfg_storage.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/plugins/list_limits.h"
#include "terrakon/plugins/plugins_array.h"
#include "terrakon/plugins/storage_array.h"
#include "tests/plugins/fake_plugin_access.h"
#include "tests/plugins/registry_fixture.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace tk {
namespace {

using testing::RegistryTest;

void CountChanges(void* data, int change) { static_cast<std::vector<int>*>(data)->push_back(change); }

TEST_F(RegistryTest, SameLibraryOnceButACopyUnderAnotherName) {
  std::vector<int> changes;
  PluginsArray().AddListener(CountChanges, &changes);
  const std::string copy = temp_.File("copy.so");
  std::filesystem::copy_file(FAKE_PLUGIN, copy);

  ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
  EXPECT_EQ(AddPlugin(FAKE_PLUGIN), nullptr);
  ASSERT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].kind, "error");
  EXPECT_EQ(ui_.events[0].text, std::string("Plugin library \"") + FAKE_PLUGIN +
                                    "\" already used.\nSingle library cannot be used multiple times.");
  EXPECT_NE(AddPlugin(copy), nullptr);
  EXPECT_EQ(PluginsArray().Count(), 2u);

  FreePlugin(0);
  EXPECT_EQ(PluginsArray().Count(), 1u);
  EXPECT_EQ(changes, (std::vector<int>{-1, -1, -1}));
  PluginsArray().RemoveListener(CountChanges, &changes);
}

TEST_F(RegistryTest, LoadFailureShowsTheLoadersText) {
  EXPECT_EQ(AddPlugin(FAKE_BADMAGIC), nullptr);
  ASSERT_EQ(ui_.events.size(), 1u);
  EXPECT_EQ(ui_.events[0].text,
            std::string("Error loading plugin libray [") + FAKE_BADMAGIC + "]\nError: Bad ID magic value");
  EXPECT_EQ(PluginsArray().Count(), 0u);
}

TEST_F(RegistryTest, FindPluginByStoredNameAndType) {
  GStoragePlugin* plugin = AddPlugin(FAKE_PLUGIN);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(FindPlugin(FAKE_PLUGIN, kAnyPluginType), plugin);
  EXPECT_EQ(FindPlugin(plugin->LibraryName(), PluginTypeStorage), plugin);
  EXPECT_EQ(FindPlugin(FAKE_PLUGIN, 7), nullptr);
  std::string upper = FAKE_PLUGIN;
  upper.back() = 'O';  // ".sO": letter case counts
  EXPECT_EQ(FindPlugin(upper), nullptr);
}

TEST_F(RegistryTest, ActivationFailures) {
  StorageItem item;
  EXPECT_FALSE(ActivateStorage(item));
  EXPECT_EQ(ErrorText(), "Library name of work file is not set");

  item.LibName = FAKE_PLUGIN;
  item.UsedPathName = temp_.File("store.db");
  EXPECT_FALSE(ActivateStorage(item));
  EXPECT_EQ(ErrorText(), "Storage plugin with given name is not found");

  ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
  item.LibName = StoredPath(FAKE_PLUGIN);
  // A file storage must exist; the existence test's error stays.
  EXPECT_FALSE(ActivateStorage(item));
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_TRUE(log_.Has("Specified storage file \"" + item.UsedPathName + "\" cannot be found"));
  EXPECT_FALSE(IsStorageActive(item));
  EXPECT_EQ(item.Plugin, nullptr);
  EXPECT_EQ(fake_.Control().creates, fake_.Control().frees);  // nothing left behind

  fake_.Control().openResult = 0;
  testing::WriteWholeFile(item.UsedPathName, "");
  EXPECT_FALSE(ActivateStorage(item));
  EXPECT_EQ(ErrorText(), "fake failure");
  EXPECT_FALSE(item.Enabled);
}

TEST_F(RegistryTest, ActivationAndDeactivation) {
  ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
  StorageItem item;
  item.LibName = StoredPath(FAKE_PLUGIN);
  item.UsedPathName = temp_.File("store.db");
  testing::WriteWholeFile(item.UsedPathName, "");
  item.Errors = 7;
  ASSERT_TRUE(ActivateStorage(item)) << ErrorText();
  EXPECT_TRUE(IsStorageActive(item));
  EXPECT_TRUE(item.Enabled);
  EXPECT_EQ(item.Errors, 0u);
  EXPECT_STREQ(fake_.Control().lastOpenPath, item.UsedPathName.c_str());

  DeactivateStorage(item);
  EXPECT_FALSE(IsStorageActive(item));
  EXPECT_FALSE(item.Enabled);
  EXPECT_EQ(item.Action, nullptr);
  EXPECT_EQ(fake_.Control().frees, 1);
  EXPECT_EQ(fake_.Control().closes, 1);
  EXPECT_EQ(PluginsArray().Item(0)->Actions().size(), 0u);
}

TEST_F(RegistryTest, FreeingThePluginDeactivatesEveryItemUsingIt) {
  ASSERT_NE(AddPlugin(FAKE_PLUGIN), nullptr);
  std::vector<StorageItem*> items;
  for (const char* name : {"a.db", "b.db"}) {
    auto item = std::make_unique<StorageItem>();
    item->LibName = StoredPath(FAKE_PLUGIN);
    item->UsedPathName = temp_.File(name);
    testing::WriteWholeFile(item->UsedPathName, "");
    ASSERT_TRUE(ActivateStorage(*item));
    items.push_back(StorageArray().Append(std::move(item)));
  }
  FreePlugin(0);
  for (StorageItem* item : items) {
    EXPECT_FALSE(IsStorageActive(*item));
    EXPECT_FALSE(item->Enabled);
    EXPECT_EQ(item->Plugin, nullptr);
    EXPECT_EQ(item->Action, nullptr);
    EXPECT_EQ(item->LibName, StoredPath(FAKE_PLUGIN));
    EXPECT_FALSE(item->UsedPathName.empty());
  }
  EXPECT_EQ(fake_.Control().frees, 2);
  EXPECT_EQ(fake_.Control().dones, 1);
  // Deleting an inactive item touches no plugin.
  StorageArray().Clear();
}

TEST_F(RegistryTest, DeletingAnActiveItemFreesItsAction) {
  GStoragePlugin* plugin = AddPlugin(FAKE_PLUGIN);
  ASSERT_NE(plugin, nullptr);
  auto item = std::make_unique<StorageItem>();
  item->LibName = plugin->LibraryName();
  item->UsedPathName = temp_.File("s.db");
  testing::WriteWholeFile(item->UsedPathName, "");
  ASSERT_TRUE(ActivateStorage(*item));
  StorageArray().Append(std::move(item));
  StorageArray().Delete(0);
  EXPECT_TRUE(plugin->Actions().empty());
  EXPECT_EQ(plugin->OnFreeCallback(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(temp_.File("s.db")));  // storages are never deleted
}

TEST_F(RegistryTest, FindStorageByPathIsCaseSensitive) {
  auto item = std::make_unique<StorageItem>();
  item->UsedPathName = "/srv/tiles/Moon.db";
  StorageItem* added = StorageArray().Append(std::move(item));
  EXPECT_EQ(FindStorageByPath("/srv/tiles/Moon.db"), added);
  EXPECT_EQ(FindStorageByPath("/srv/tiles/moon.db"), nullptr);
}

TEST_F(RegistryTest, ListsRoundTripThroughTheSettings) {
  HCfgStorage store;
  HStorageLink link(&store, "IDE");
  const std::string present = temp_.File("present.db");
  const std::string gone = temp_.File("gone.db");
  testing::WriteWholeFile(present, "");
  // Below the program folder: kept relative to it.
  const std::string beside = JoinPath(ProgramFolder(), "beside.db");

  link.SetInt("Plugins/Count", 3);
  link.SetString("Plugins/Item0", FAKE_PLUGIN);
  link.SetString("Plugins/Item1", "");  // skipped
  link.SetString("Plugins/Item2", FAKE_NOEXPORT);  // fails: left out, with a box
  link.SetInt("Storages/Count", 3);
  const struct {
    std::string path;
    bool enabled;
  } rows[] = {{present, true}, {gone, true}, {beside, false}};
  for (int i = 0; i < 3; ++i) {
    const std::string section = "Storages/Item" + std::to_string(i) + "/";
    link.SetString(section + "LibName", FAKE_PLUGIN);
    link.SetString(section + "UsedPathName", rows[i].path);
    link.SetBool(section + "Enabled", rows[i].enabled);
  }

  LoadPluginList(link);
  LoadStorageList(link);
  ASSERT_EQ(PluginsArray().Count(), 1u);
  ASSERT_EQ(StorageArray().Count(), 3u);
  EXPECT_TRUE(IsStorageActive(*StorageArray().Item(0)));
  EXPECT_FALSE(IsStorageActive(*StorageArray().Item(1)));
  // Names are kept in their stored form, which depends on where the test runs.
  EXPECT_TRUE(log_.Has("Specified storage file \"" + StoredPath(gone) + "\" cannot be found"));
  EXPECT_EQ(StorageArray().Item(2)->UsedPathName, "beside.db");
  EXPECT_EQ(ui_.events.size(), 1u);  // the failed plugin only

  HCfgStorage saved;
  HStorageLink out(&saved, "IDE");
  SaveStorageList(out);
  SavePluginList(out);
  EXPECT_EQ(out.GetInt("Plugins/Count", -1), 1);
  EXPECT_EQ(out.GetString("Plugins/Item0", ""), StoredPath(FAKE_PLUGIN));
  EXPECT_EQ(out.GetInt("Storages/Count", -1), 3);
  EXPECT_TRUE(out.GetBool("Storages/Item0/Enabled", false));
  EXPECT_FALSE(out.GetBool("Storages/Item1/Enabled", true));  // written as it is now
  EXPECT_EQ(out.GetString("Storages/Item1/UsedPathName", ""), StoredPath(gone));
  EXPECT_EQ(out.GetString("Storages/Item2/UsedPathName", ""), "beside.db");
  EXPECT_EQ(out.GetString("Storages/Item0/LibName", ""), StoredPath(FAKE_PLUGIN));
}

TEST(ListLimitsTest, StoredCountsAreBounded) {
  EXPECT_EQ(ListEntryCount(-5), 0);
  EXPECT_EQ(ListEntryCount(3), 3);
  EXPECT_EQ(ListEntryCount(2000000000), kMaxListEntries);
}

}  // namespace
}  // namespace tk

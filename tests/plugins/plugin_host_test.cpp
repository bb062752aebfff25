// The host objects against the fake plugin: every check of loading and of
// action creation, the default-extension rule, the closed-action error, the
// plugin's error text and the order of teardown.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/plugin_host.h"
#include "common/storage_action.h"
#include "tests/plugins/fake_plugin_access.h"

namespace tk {
namespace {

const PluginHostInfo kHost = {PluginMagic, sizeof(PluginHostInfo), PluginHostVersionUtility, nullptr};

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fake_.Loaded()) << dlerror(); }
  FakeControl& control() { return fake_.Control(); }

  testing::FakePlugin fake_{FAKE_PLUGIN};
};

bool StillLoaded(const char* path) {
  void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (module) dlclose(module);
  return module != nullptr;
}

// Libraries whose fault is built in: a failed load must leave them unloaded.
TEST(PluginLoadTest, BuiltInFaultsFailAndUnload) {
  struct Case {
    const char* path;
    int error;
    const char* text;  // for kErrorText, else ""
  } cases[] = {
      {FAKE_NOEXPORT, kErrorText, ""},  // the loader's own text
      {FAKE_INITERROR, kErrorText, "Plugin init error: broken on purpose"},
      {FAKE_BADMAGIC, kErrorBadMagic, ""},
      {FAKE_SHORTINFO, kErrorUnexpectedData, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SetLastError(0);
    EXPECT_EQ(LoadPlugin(c.path, &kHost), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    if (*c.text) {
      EXPECT_EQ(ErrorText(), c.text);
    }
    EXPECT_FALSE(StillLoaded(c.path));
  }
}

TEST(PluginLoadTest, MissingLibraryFails) {
  SetLastError(0);
  EXPECT_EQ(LoadPlugin("/nonexistent/plugin.so", &kHost), nullptr);
  EXPECT_NE(GetLastError(), 0);
}

TEST_F(PluginHostTest, InfoSizeBelowRecordFailsAndRecordSizeOrMorePasses) {
  const std::uint32_t record = sizeof(PluginInfo);
  for (std::uint32_t size : {record - 1, record, record + 8}) {
    SCOPED_TRACE(size);
    control().infoSize = size;
    auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
    if (size < record) {
      EXPECT_EQ(plugin, nullptr);
      EXPECT_EQ(GetLastError(), kErrorUnexpectedData);
    } else {
      EXPECT_NE(plugin, nullptr);
    }
  }
  EXPECT_EQ(control().inits, 2);
  EXPECT_EQ(control().dones, 2);
}

TEST_F(PluginHostTest, TypeChecks) {
  control().type = 7;
  EXPECT_EQ(LoadPlugin(FAKE_PLUGIN, &kHost, PluginTypeStorage), nullptr);
  const std::string name = PluginLibraryName(FAKE_PLUGIN);
  EXPECT_EQ(ErrorText(), "Plugin " + name + " is not requested Storage type plugin");
  EXPECT_EQ(LoadPlugin(FAKE_PLUGIN, &kHost), nullptr);
  EXPECT_EQ(ErrorText(), "Plugin is of unknown type: 7 (Desc: fake storage)");
  EXPECT_EQ(control().inits, 0);

  control().type = PluginTypeStorage;
  EXPECT_NE(LoadPlugin(FAKE_PLUGIN, &kHost, PluginTypeStorage), nullptr);
  EXPECT_STREQ(PluginTypeName(PluginTypeStorage), "Storage");
  EXPECT_STREQ(PluginTypeName(7), "<Unknown>");
}

TEST_F(PluginHostTest, RecordWithoutCreateActionIsRefused) {
  control().nullCreateAction = 1;
  EXPECT_EQ(LoadPlugin(FAKE_PLUGIN, &kHost), nullptr);
  EXPECT_EQ(GetLastError(), kErrorUnexpectedData);
}

TEST_F(PluginHostTest, LoadKeepsRecordAndName) {
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(control().inits, 1);
  EXPECT_EQ(plugin->LibraryName(), PluginLibraryName(FAKE_PLUGIN));
  EXPECT_STREQ(plugin->Description(), "fake storage");
  EXPECT_TRUE(plugin->CanWrite());
  EXPECT_FALSE(plugin->UsesDir());
  EXPECT_NE(plugin->Module(), nullptr);
}

TEST_F(PluginHostTest, ActionCreationChecks) {
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);

  control().createReturnsNull = 1;
  EXPECT_EQ(CreateStorageAction(*plugin), nullptr);
  EXPECT_EQ(ErrorText(), "Error requesting new action from plugin");
  control().createReturnsNull = 0;

  control().actionMagic = 1;
  EXPECT_EQ(CreateStorageAction(*plugin), nullptr);
  EXPECT_EQ(GetLastError(), kErrorBadMagic);
  EXPECT_EQ(control().frees, 1);  // handed back before failing
  control().actionMagic = PluginMagic;

  control().actionSize = sizeof(StorageActionInfo) - 1;
  EXPECT_EQ(CreateStorageAction(*plugin), nullptr);
  EXPECT_EQ(GetLastError(), kErrorUnexpectedData);
  EXPECT_EQ(control().frees, 2);
  control().actionSize = sizeof(StorageActionInfo);

  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_NE(action, nullptr);
  EXPECT_FALSE(action->IsOpen());
  EXPECT_EQ(plugin->Actions().size(), 1u);
  EXPECT_STREQ(action->DefaultPath(), "fake.db");
  FreeStorageAction(*plugin, action);
  EXPECT_TRUE(plugin->Actions().empty());
  EXPECT_EQ(control().frees, 3);
}

// Only the last component decides whether a file name has an extension.
TEST(StorageOpenNameTest, DefaultExtension) {
  struct Case {
    const char* path;
    bool usesDir;
    const char* expected;
  } cases[] = {
      {"MoonQ", false, "MoonQ.db"},
      {"MoonQ.x", false, "MoonQ.x"},
      {"base.v/MoonQ", false, "base.v/MoonQ.db"},
      {"/srv/base.v/MoonQ", false, "/srv/base.v/MoonQ.db"},
      {"base.v/MoonQ", true, "base.v/MoonQ"},
      {"MoonQ", true, "MoonQ"},
  };
  for (const Case& c : cases) EXPECT_EQ(StorageOpenName(c.path, c.usesDir, "db"), c.expected) << c.path;

  // A cut name would open another storage: too long is refused.
  EXPECT_EQ(StorageOpenName(std::string(258, 'a'), false, "db"), "");
  EXPECT_EQ(GetLastError(), ENAMETOOLONG);
  EXPECT_EQ(StorageOpenName(std::string(260, 'a') + ".x", false, "db"), "");
}

TEST_F(PluginHostTest, OpenPassesDefaultExtensionAndReopenCloses) {
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);
  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_NE(action, nullptr);
  ASSERT_TRUE(action->Open("base.v/MoonQ"));
  EXPECT_STREQ(control().lastOpenPath, "base.v/MoonQ.db");
  EXPECT_EQ(action->OpenedPath(), "base.v/MoonQ.db");
  ASSERT_TRUE(action->Open("Other.x"));
  EXPECT_EQ(control().closes, 1);
  EXPECT_EQ(action->OpenedPath(), "Other.x");

  control().openResult = 0;
  std::strcpy(control().errorText, "cannot open it");
  EXPECT_FALSE(action->Open("Third"));
  EXPECT_EQ(ErrorText(), "cannot open it");
  EXPECT_FALSE(action->IsOpen());
  EXPECT_TRUE(action->Close());
}

TEST_F(PluginHostTest, ClosedActionFailsWithoutCallingPlugin) {
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);
  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_NE(action, nullptr);
  const void* data = &data;
  std::uint32_t size = 5;
  auto ignore = [](void*, int32_t, const char*, const void*, uint32_t) -> int32_t { return 1; };
  const std::vector<int> results = {action->Check("q"), action->Get("q", &data, &size),
                                    action->Write("q", "x", 1, StorageWriteReplace),
                                    action->Enumerate("", ignore, EnumerateKeys, nullptr)};
  for (int result : results) EXPECT_EQ(result, StorageError);
  EXPECT_EQ(GetLastError(), kErrorNotReady);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  const FakeControl& c = control();
  EXPECT_EQ(c.checks + c.gets + c.writes + c.enumerates, 0);
}

TEST_F(PluginHostTest, PluginResultsAndErrorTexts) {
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);
  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_TRUE(action && action->Open("store"));
  std::strcpy(control().errorText, "the plugin's own words");
  auto ignore = [](void*, int32_t, const char*, const void*, uint32_t) -> int32_t { return 1; };

  control().checkResult = 5;  // unknown results are errors
  EXPECT_EQ(action->Check("q"), StorageError);
  EXPECT_EQ(ErrorText(), "the plugin's own words");
  control().checkResult = StorageNotFound;
  EXPECT_EQ(action->Check("q"), StorageNotFound);

  control().writeResult = 9;
  EXPECT_EQ(action->Write("q", "x", 1, StorageWriteReplace), StorageError);
  EXPECT_EQ(ErrorText(), "the plugin's own words");

  control().enumerateResult = EnumerateFailed;
  EXPECT_EQ(action->Enumerate("", ignore, EnumerateKeys, nullptr), StorageError);
  control().enumerateResult = EnumerateStopped;
  EXPECT_EQ(action->Enumerate("", ignore, EnumerateKeys, nullptr), EnumerateStopped);
  control().enumerateResult = EnumerateEmpty;
  EXPECT_EQ(action->Enumerate("", ignore, EnumerateKeys, nullptr), EnumerateEmpty);

  // The host object passes a bad block through; its readers judge it.
  control().getBlock = kFakeBlockNull;
  const void* data = nullptr;
  std::uint32_t size = 0;
  EXPECT_EQ(action->Get("q", &data, &size), StorageOk);
  EXPECT_FALSE(PluginBlockReadable(data, size));
  control().getBlock = kFakeBlockHuge;
  EXPECT_EQ(action->Get("q", &data, &size), StorageOk);
  EXPECT_FALSE(PluginBlockReadable(data, size));
}

TEST_F(PluginHostTest, WriteWithoutWriteFlagIsNotCalled) {
  control().flags = StorageCanEnumerate;
  auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
  ASSERT_NE(plugin, nullptr);
  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_TRUE(action && action->Open("store"));
  EXPECT_EQ(action->Write("q", "x", 1, StorageWriteReplace), StorageError);
  EXPECT_EQ(ErrorText(), "Plugin does not support write operations");
  EXPECT_EQ(control().writes, 0);
}

struct Trace {
  std::vector<std::string> events;
  FakeControl* control;
};

TEST_F(PluginHostTest, UnloadNotifiesThenFreesActionsLastFirstThenDone) {
  Trace trace{{}, &control()};
  {
    auto plugin = LoadPlugin(FAKE_PLUGIN, &kHost);
    ASSERT_NE(plugin, nullptr);
    GStorageAction* first = CreateStorageAction(*plugin);
    GStorageAction* second = CreateStorageAction(*plugin);
    ASSERT_TRUE(first && second && first->Open("a") && second->Open("b"));
    plugin->SetOnFree(
        [](void* data, GBasePlugin*) {
          auto* t = static_cast<Trace*>(data);
          t->events.push_back("free frees=" + std::to_string(t->control->frees));
        },
        &trace);
    auto onDestroy = [](void* data, GPluginAction*) {
      auto* t = static_cast<Trace*>(data);
      t->events.push_back("destroy closes=" + std::to_string(t->control->closes) +
                          " frees=" + std::to_string(t->control->frees));
    };
    first->SetOnDestroy(onDestroy, &trace);
    second->SetOnDestroy(onDestroy, &trace);
  }
  // Each action is closed before its notification and handed back after it.
  const std::vector<std::string> expected = {"free frees=0", "destroy closes=1 frees=0",
                                             "destroy closes=2 frees=1"};
  EXPECT_EQ(trace.events, expected);
  EXPECT_EQ(control().frees, 2);
  EXPECT_EQ(control().dones, 1);
}

TEST(PluginLoadTest, PluginWrittenInC) {
  auto plugin = LoadPlugin(C_PLUGIN, &kHost, PluginTypeStorage);
  ASSERT_NE(plugin, nullptr) << ErrorText();
  GStorageAction* action = CreateStorageAction(*plugin);
  ASSERT_TRUE(action && action->Open("anything"));
  EXPECT_EQ(action->OpenedPath(), "anything.c");
  EXPECT_EQ(action->Check("q"), StorageNotFound);
  // No Write in its table and no write flag: refused before the plugin.
  EXPECT_EQ(action->Write("q", "x", 1, StorageWriteReplace), StorageError);
  EXPECT_EQ(ErrorText(), "Plugin does not support write operations");
}

}  // namespace
}  // namespace tk

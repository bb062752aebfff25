#include "terrakon/config/settings_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "terrakon/config/cfg_storage.h"

namespace tk {
namespace {

using K = SettingKind;

// The settings of the main window and the options dialog, transcribed from
// the program's documentation of its keys: key, stored kind, default. Rows
// whose default comes from the caller have none.
struct Expected {
  const char* key;
  K kind;
  std::int64_t number = 0;
  const char* text = "";
  bool callerDefault = false;
};

const Expected kExpected[] = {
    {"UsedLang", K::kInt, 0},
    {"Autosave", K::kBool, 1},
    {"SaveViewPos", K::kBool, 1},
    {"CenterXP", K::kInt64, 0, "", true},
    {"CenterYP", K::kInt64, 0, "", true},
    {"StartZoom", K::kInt, 1},
    {"DatumNum", K::kInt, 0},
    {"CoordSys", K::kInt, 0, "", true},
    {"DegType", K::kInt, 0},
    {"SelX", K::kInt64, 0},
    {"SelY", K::kInt64, 0},
    {"SelX1", K::kInt64, 0},
    {"SelY1", K::kInt64, 0},
    {"DoubleBuffered", K::kBool, 0},
    {"DelUnknownImages", K::kBool, 1},
    {"UseBigImage", K::kBool, 0},
    {"GlobalCorrectX", K::kInt64, 0},
    {"GlobalCorrectY", K::kInt64, 0},
    {"DrawCenter", K::kBool, 1},
    {"CenterColor", K::kColor, 255},
    {"DrawBorder", K::kBool, 1},
    {"BorderColor", K::kColor, 8421504},
    {"DrawCoord", K::kBool, 1},
    {"CoordColor", K::kColor, 0xFFFFFF},
    {"QueuedColor", K::kColor, 0xFF0000},
    {"NotFoundColor", K::kColor, 0xFF0000},
    {"NotExitColor", K::kColor, 0},
    {"HilightFound", K::kBool, 1},
    {"FoundColor", K::kColor, 255},
    {"AskQuit", K::kBool, 1},
    {"AskCache", K::kBool, 1},
    {"UseInet", K::kBool, 1},
    {"GEBase", K::kText, 0, "http://earth.tiles.invalid/kh?v=11&n=404&t=t"},
    {"UseProxy", K::kBool, 0},
    {"Proxy", K::kText, 0, ""},
    {"UseProxyUser", K::kBool, 0},
    {"ProxyUser", K::kText, 0, ""},
    {"ProxyPwd", K::kText, 0, ""},
    {"INETLogFile", K::kBool, 0},
    {"ThreadsCount", K::kInt, 1},
    {"MaxCount", K::kInt, 100},
    {"UseCache", K::kBool, 1},
    {"Cache", K::kText, 0, "Cache"},
    {"MaxStorageErrors", K::kInt, 3},
    {"WPAutoload", K::kBool, 1},
    {"TRAutoload", K::kBool, 1},
    {"WP_LastFile", K::kText, 0, ""},
    {"TR_LastFile", K::kText, 0, ""},
    {"WP_LastFormat", K::kInt, 0},
    {"WP_CorX", K::kInt64, 0},
    {"WP_CorY", K::kInt64, 0},
    {"WP_Def_CorX", K::kInt64, 0},
    {"WP_Def_CorY", K::kInt64, 0},
    {"WPSelBk", K::kColor, 0x800000},
    {"WPSelColor", K::kColor, 0xFFFF},
    {"WP_Font", K::kText, 0, "MS Sans Serif"},
    {"WP_Def_Alt", K::kInt, -777},
    {"WP_Def_Color", K::kColor, 0},
    {"WP_Def_Back", K::kColor, 0xFFFF},
    {"WP_Def_FSize", K::kInt, 8},
    {"WP_Def_Size", K::kInt, 17},
    {"WP_Def_FType", K::kInt, 0},
    {"TRDrawAll", K::kBool, 0},
    {"TR_CorX", K::kInt64, 0},
    {"TR_CorY", K::kInt64, 0},
    {"TR_Def_CorX", K::kInt64, 0},
    {"TR_Def_CorY", K::kInt64, 0},
    {"TRSelFill", K::kColor, 0x800000},
    {"TRSelLine", K::kColor, 0xFFFF},
    {"TRPSelBColor", K::kColor, 0x800000},
    {"TRPSelColor", K::kColor, 0xFFFFFF},
    {"TRPBColor", K::kColor, 0},
    {"TRPColor", K::kColor, 0xFFFFFF},
    {"TR_Def_Width", K::kInt, 1},
    {"TR_Def_Color", K::kColor, 255},
    {"TR_Def_FStyle", K::kInt, 0},
    {"TR_Def_FColor", K::kColor, 0xFFFFFF},
    {"LoadEGM", K::kBool, 1},
    {"EGMHeight", K::kText, 0, "data/egm96.grd"},
    {"Window", K::kWindow},
    {"CfgWindow", K::kWindow},
    {"SEL_Window", K::kWindow},
    {"SelList/Sec%d", K::kInt, 0, "", true},
    {"StorHdr/Sec%d", K::kInt, 0, "", true},
};

// Reads a row the way its typed constant does, with `callerDefault` where
// the row takes its default from the caller. Returns the key it read.
std::string ReadRow(const HStorageLink& link, const SettingRow& row, std::int64_t callerDefault) {
  const bool fromCaller = row.defaultFrom == SettingDefault::kCaller;
  const std::int64_t number = fromCaller ? callerDefault : row.number;
  const std::string key = IndexedKey(row.key, 3);
  switch (row.kind) {
    case K::kBool: EXPECT_EQ(link.GetBool(key, number != 0), number != 0) << key; break;
    case K::kInt: EXPECT_EQ(link.GetInt(key, static_cast<std::int32_t>(number)), number) << key; break;
    case K::kColor: EXPECT_EQ(link.GetColor(key, static_cast<std::uint32_t>(number)), number) << key; break;
    case K::kInt64: EXPECT_EQ(link.GetInt64(key, number), number) << key; break;
    case K::kText: EXPECT_EQ(link.GetString(key, row.text), row.text) << key; break;
    case K::kWindow: {
      const WindowPlacement current{1, 2, 3, 4, 0};
      EXPECT_EQ(LoadWindowPlacement(link.SubItem(key), current, 800, 600), current) << key;
      break;
    }
  }
  return key;
}

// On an empty store every key reads its default and leaves an item of its
// stored type, so the next save writes it.
TEST(SettingsTable, EveryKeyReadsItsDefaultAndCreatesItsItem) {
  std::map<std::string, const SettingRow*> rows;
  for (const SettingRow& row : settings::kMainSettings) {
    EXPECT_TRUE(rows.emplace(std::string(row.key), &row).second) << "twice: " << row.key;
  }
  EXPECT_EQ(rows.size(), std::size(kExpected));

  HCfgStorage storage;
  HStorageLink link(&storage, "IDE");
  for (const Expected& e : kExpected) {
    auto found = rows.find(e.key);
    ASSERT_NE(found, rows.end()) << e.key;
    const SettingRow& row = *found->second;
    EXPECT_EQ(row.kind, e.kind) << e.key;
    EXPECT_EQ(row.defaultFrom == SettingDefault::kCaller, e.callerDefault) << e.key;
    if (!e.callerDefault) {
      EXPECT_EQ(row.number, e.number) << e.key;
      EXPECT_EQ(row.text, e.text) << e.key;
    }

    const std::string key = ReadRow(link, row, 1234);
    HConfigItem* item = storage.Root().FindItem("IDE/" + key);
    ASSERT_NE(item, nullptr) << key;
    switch (e.kind) {
      case K::kBool:
      case K::kInt: EXPECT_EQ(item->ItemType(), kTypeInt) << key; break;
      case K::kColor: EXPECT_EQ(item->ItemType(), kTypeDWord) << key; break;
      case K::kText:
        EXPECT_EQ(item->ItemType(), kTypeText) << key;
        EXPECT_EQ(item->ItemBlock().size(), std::string_view(e.text).size() + 1) << key;
        break;
      case K::kInt64:
        EXPECT_EQ(item->ItemType(), kTypeBinary) << key;
        EXPECT_EQ(item->ItemBlock().size(), 8u) << key;
        break;
      case K::kWindow:
        EXPECT_EQ(item->ItemCount(), 5u) << key;
        EXPECT_EQ(item->GetInt("X", 0), -1) << key;
        break;
    }
  }
}

TEST(SettingsTable, TypedConstantsReadNaturally) {
  HCfgStorage storage;
  HStorageLink link(&storage, "IDE");
  static_assert(std::is_same_v<decltype(settings::Autosave.Get(link)), bool>);
  static_assert(std::is_same_v<decltype(settings::SelX.Get(link)), std::int64_t>);
  static_assert(std::is_same_v<decltype(settings::Cache.Get(link)), std::string>);
  static_assert(std::is_same_v<decltype(settings::CenterColor.Get(link)), std::uint32_t>);

  EXPECT_EQ(settings::MaxCount.Get(link), 100);
  settings::MaxCount.Set(link, 500);
  EXPECT_EQ(settings::MaxCount.Get(link), 500);
  EXPECT_EQ(settings::CenterXP.Get(link, 1ll << 37), 1ll << 37);
  EXPECT_EQ(settings::CenterXP.Get(link, 5), 1ll << 37);  // stored now
  EXPECT_EQ(settings::SelListSection.Get(link, 2, 120), 120);
  EXPECT_EQ(storage.Root().GetInt("IDE/SelList/Sec2", 0), 120);
  settings::Window.Save(link, {5, 6, 700, 500, 0});
  EXPECT_EQ(settings::Window.Load(link, {}, 1920, 1080), (WindowPlacement{5, 6, 700, 500, 0}));

  // A colour stored as the text of its number is converted by the read.
  storage.Root().SetString("IDE/CenterColor", "255");
  EXPECT_EQ(settings::CenterColor.Get(link), 255u);
}

TEST(SettingsTable, KnownTileServices) {
  ASSERT_EQ(std::size(kKnownTileServices), 3u);
  EXPECT_EQ(kKnownTileServices[0].caption, "Google earth: Earth");
  EXPECT_EQ(kKnownTileServices[1].baseUrl, "http://mars.tiles.invalid/movl?ov=52&n=404&t=t");
  EXPECT_EQ(kKnownTileServices[2].baseUrl, "http://moon.tiles.invalid/kh?v=2&n=404&t=t");
  EXPECT_EQ(settings::GEBase.DefaultValue(), kKnownTileServices[0].baseUrl);
}

}  // namespace
}  // namespace tk

// The settings of the plugin and storage lists, the plugins window and the
// export to storage, below the main link's key "IDE".
#pragma once

#include "terrakon/config/setting.h"

namespace tk::settings {

inline constexpr IntSetting PluginsCount{"Plugins/Count", 0};
// Library file names in the stored-path form (StoredPath).
inline constexpr IndexedSetting<SettingKind::kText> PluginsItem{"Plugins/Item%d"};
// Folder last used to load a plugin; empty: the program folder.
inline constexpr TextSetting PluginsPath{"PluginsPath", ""};
inline constexpr IntSetting StoragesCount{"Storages/Count", 0};
inline constexpr IndexedSetting<SettingKind::kText> StorageLibName{"Storages/Item%d/LibName"};
inline constexpr IndexedSetting<SettingKind::kText> StorageUsedPathName{
    "Storages/Item%d/UsedPathName"};
inline constexpr IndexedSetting<SettingKind::kBool> StorageEnabled{"Storages/Item%d/Enabled"};
inline constexpr WindowSetting PEWindow{"PE/Window"};
// Column widths [pixels]; the default is the column's design width (70, 260, 200, 150).
inline constexpr IndexedSetting<SettingKind::kInt> PEHdrSection{"PE/Hdr/Sec%d"};
inline constexpr TextSetting ExpPlugin{"EXP_S/Plugin", ""};
// Default: the program folder (the caller's).
inline constexpr CallerDefaultSetting<SettingKind::kText> ExpLastFile{"EXP_S/LastFile"};
inline constexpr BoolSetting ExpOver{"EXP_S/Over", true};
inline constexpr BoolSetting ExpLimitZoom{"EXP_S/LimitZoom", false};
inline constexpr IntSetting ExpLimitFrom{"EXP_S/LimitFrom", 1};
inline constexpr IntSetting ExpLimitTo{"EXP_S/LimitTo", 18};

inline constexpr SettingRow kPluginSettings[] = {
    PluginsCount.Row(),        PluginsItem.Row(),    PluginsPath.Row(),  StoragesCount.Row(),
    StorageLibName.Row(),      StorageUsedPathName.Row(), StorageEnabled.Row(), PEWindow.Row(),
    PEHdrSection.Row(),        ExpPlugin.Row(),      ExpLastFile.Row(),  ExpOver.Row(),
    ExpLimitZoom.Row(),        ExpLimitFrom.Row(),   ExpLimitTo.Row(),
};

}  // namespace tk::settings

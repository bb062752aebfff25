// Settings of the waypoint and track files that the main settings table does
// not hold: the simple places list's display keys (below "SP/", only read)
// and the remembered folders, formats and dialog filters of the load and save
// dialogs. Declared like the rows of the main settings table.
#pragma once

#include "terrakon/config/setting.h"

namespace tk::settings {

// The simple places list; its corrections are 32-bit values.
inline constexpr TextSetting SP_WP_Font{"SP/WP_Font", "MS Sans Serif"};
inline constexpr ColorSetting SP_WPSelColor{"SP/WPSelColor", 0xFFFF};
inline constexpr ColorSetting SP_WPSelBk{"SP/WPSelBk", 0x800000};
inline constexpr IntSetting SP_WP_Def_Alt{"SP/WP_Def_Alt", -777};
inline constexpr ColorSetting SP_WP_Def_Color{"SP/WP_Def_Color", 0};
inline constexpr ColorSetting SP_WP_Def_Back{"SP/WP_Def_Back", 0xFFFF00};
inline constexpr IntSetting SP_WP_Def_FSize{"SP/WP_Def_FSize", 8};
inline constexpr IntSetting SP_WP_Def_FType{"SP/WP_Def_FType", 0};
inline constexpr IntSetting SP_WP_Def_Size{"SP/WP_Def_Size", 17};
inline constexpr IntSetting SP_WP_Def_CorX{"SP/WP_Def_CorX", 0};
inline constexpr IntSetting SP_WP_Def_CorY{"SP/WP_Def_CorY", 0};
inline constexpr IntSetting SP_WP_CorX{"SP/WP_CorX", 0};
inline constexpr IntSetting SP_WP_CorY{"SP/WP_CorY", 0};

// Folder of the last waypoint file chosen in a dialog, with a trailing '/'.
inline constexpr TextSetting WP_LastPath{"WP_LastPath", ""};
// Dialog filter indices, counted from 1.
inline constexpr IntSetting WPL_Type{"WPL_Type", 1};
inline constexpr IntSetting WPS_Type{"WPS_Type", 1};

inline constexpr IntSetting TR_LastFormat{"TR_LastFormat", 0};
// Stored in the program-relative form (StoredPath).
inline constexpr TextSetting TR_LastPath{"TR_LastPath", ""};
inline constexpr IntSetting TRL_Type{"TRL_Type", 1};
inline constexpr IntSetting TRS_Type{"TRS_Type", 1};

inline constexpr SettingRow kTrackFileSettings[] = {
    SP_WP_Font.Row(),      SP_WPSelColor.Row(),  SP_WPSelBk.Row(),     SP_WP_Def_Alt.Row(),
    SP_WP_Def_Color.Row(), SP_WP_Def_Back.Row(), SP_WP_Def_FSize.Row(), SP_WP_Def_FType.Row(),
    SP_WP_Def_Size.Row(),  SP_WP_Def_CorX.Row(), SP_WP_Def_CorY.Row(), SP_WP_CorX.Row(),
    SP_WP_CorY.Row(),      WP_LastPath.Row(),    WPL_Type.Row(),       WPS_Type.Row(),
    TR_LastFormat.Row(),   TR_LastPath.Row(),    TRL_Type.Row(),       TRS_Type.Row(),
};

}  // namespace tk::settings

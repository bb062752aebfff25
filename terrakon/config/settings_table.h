// The settings of the main window and the options dialog, all below the
// main link's key "IDE": each key with its stored type and default, written
// here once. Settings of other windows join when those windows do.
#pragma once

#include "terrakon/config/setting.h"
#include "terrakon/config/tile_services.h"

namespace tk::settings {

inline constexpr IntSetting UsedLang{"UsedLang", 0};  // index into the dictionary's languages
inline constexpr BoolSetting Autosave{"Autosave", true};
inline constexpr BoolSetting SaveViewPos{"SaveViewPos", true};
// View centre in pixel space; the default is the current centre.
inline constexpr CallerDefaultSetting<SettingKind::kInt64> CenterXP{"CenterXP"};
inline constexpr CallerDefaultSetting<SettingKind::kInt64> CenterYP{"CenterYP"};
inline constexpr IntSetting StartZoom{"StartZoom", 1};
inline constexpr IntSetting DatumNum{"DatumNum", 0};
// The default is the current coordinate system.
inline constexpr CallerDefaultSetting<SettingKind::kInt> CoordSys{"CoordSys"};
inline constexpr IntSetting DegType{"DegType", 0};
// Selection rectangle in pixel space.
inline constexpr Int64Setting SelX{"SelX", 0};
inline constexpr Int64Setting SelY{"SelY", 0};
inline constexpr Int64Setting SelX1{"SelX1", 0};
inline constexpr Int64Setting SelY1{"SelY1", 0};
inline constexpr BoolSetting DoubleBuffered{"DoubleBuffered", false};
inline constexpr BoolSetting DelUnknownImages{"DelUnknownImages", true};
inline constexpr BoolSetting UseBigImage{"UseBigImage", false};
// Plate offset correction in pixel-space units.
inline constexpr Int64Setting GlobalCorrectX{"GlobalCorrectX", 0};
inline constexpr Int64Setting GlobalCorrectY{"GlobalCorrectY", 0};
inline constexpr BoolSetting DrawCenter{"DrawCenter", true};
inline constexpr ColorSetting CenterColor{"CenterColor", 255};
inline constexpr BoolSetting DrawBorder{"DrawBorder", true};
inline constexpr ColorSetting BorderColor{"BorderColor", 8421504};
inline constexpr BoolSetting DrawCoord{"DrawCoord", true};
inline constexpr ColorSetting CoordColor{"CoordColor", 0xFFFFFF};
inline constexpr ColorSetting QueuedColor{"QueuedColor", 0xFF0000};
inline constexpr ColorSetting NotFoundColor{"NotFoundColor", 0xFF0000};
inline constexpr ColorSetting NotExitColor{"NotExitColor", 0};
inline constexpr BoolSetting HilightFound{"HilightFound", true};
inline constexpr ColorSetting FoundColor{"FoundColor", 255};
inline constexpr BoolSetting AskQuit{"AskQuit", true};
inline constexpr BoolSetting AskCache{"AskCache", true};
inline constexpr BoolSetting UseInet{"UseInet", true};
// Base URLs, several separated by the character 7.
inline constexpr TextSetting GEBase{"GEBase", kDefaultTileBaseUrl};
inline constexpr BoolSetting UseProxy{"UseProxy", false};
inline constexpr TextSetting Proxy{"Proxy", ""};
inline constexpr BoolSetting UseProxyUser{"UseProxyUser", false};
inline constexpr TextSetting ProxyUser{"ProxyUser", ""};
inline constexpr TextSetting ProxyPwd{"ProxyPwd", ""};
inline constexpr BoolSetting INETLogFile{"INETLogFile", false};
inline constexpr IntSetting ThreadsCount{"ThreadsCount", 1};
inline constexpr IntSetting MaxCount{"MaxCount", 100};  // memory cache size [plates]
inline constexpr BoolSetting UseCache{"UseCache", true};
// Stored in the program-relative form (StoredPath).
inline constexpr TextSetting Cache{"Cache", "Cache"};
inline constexpr IntSetting MaxStorageErrors{"MaxStorageErrors", 3};
inline constexpr BoolSetting WPAutoload{"WPAutoload", true};
inline constexpr BoolSetting TRAutoload{"TRAutoload", true};
inline constexpr TextSetting WP_LastFile{"WP_LastFile", ""};
inline constexpr TextSetting TR_LastFile{"TR_LastFile", ""};
inline constexpr IntSetting WP_LastFormat{"WP_LastFormat", 0};
inline constexpr Int64Setting WP_CorX{"WP_CorX", 0};
inline constexpr Int64Setting WP_CorY{"WP_CorY", 0};
inline constexpr Int64Setting WP_Def_CorX{"WP_Def_CorX", 0};
inline constexpr Int64Setting WP_Def_CorY{"WP_Def_CorY", 0};
inline constexpr ColorSetting WPSelBk{"WPSelBk", 0x800000};
inline constexpr ColorSetting WPSelColor{"WPSelColor", 0xFFFF};
inline constexpr TextSetting WP_Font{"WP_Font", "MS Sans Serif"};
inline constexpr IntSetting WP_Def_Alt{"WP_Def_Alt", -777};  // -777: no altitude
inline constexpr ColorSetting WP_Def_Color{"WP_Def_Color", 0};
inline constexpr ColorSetting WP_Def_Back{"WP_Def_Back", 0xFFFF};
inline constexpr IntSetting WP_Def_FSize{"WP_Def_FSize", 8};
inline constexpr IntSetting WP_Def_Size{"WP_Def_Size", 17};
inline constexpr IntSetting WP_Def_FType{"WP_Def_FType", 0};  // bit 0 bold, bit 1 italic
inline constexpr BoolSetting TRDrawAll{"TRDrawAll", false};
inline constexpr Int64Setting TR_CorX{"TR_CorX", 0};
inline constexpr Int64Setting TR_CorY{"TR_CorY", 0};
inline constexpr Int64Setting TR_Def_CorX{"TR_Def_CorX", 0};
inline constexpr Int64Setting TR_Def_CorY{"TR_Def_CorY", 0};
inline constexpr ColorSetting TRSelFill{"TRSelFill", 0x800000};
inline constexpr ColorSetting TRSelLine{"TRSelLine", 0xFFFF};
inline constexpr ColorSetting TRPSelBColor{"TRPSelBColor", 0x800000};
inline constexpr ColorSetting TRPSelColor{"TRPSelColor", 0xFFFFFF};
inline constexpr ColorSetting TRPBColor{"TRPBColor", 0};
inline constexpr ColorSetting TRPColor{"TRPColor", 0xFFFFFF};
inline constexpr IntSetting TR_Def_Width{"TR_Def_Width", 1};
inline constexpr ColorSetting TR_Def_Color{"TR_Def_Color", 255};
inline constexpr IntSetting TR_Def_FStyle{"TR_Def_FStyle", 0};
inline constexpr ColorSetting TR_Def_FColor{"TR_Def_FColor", 0xFFFFFF};
inline constexpr BoolSetting LoadEGM{"LoadEGM", true};
inline constexpr TextSetting EGMHeight{"EGMHeight", "data/egm96.grd"};
inline constexpr WindowSetting Window{"Window"};
inline constexpr WindowSetting CfgWindow{"CfgWindow"};
inline constexpr WindowSetting SEL_Window{"SEL_Window"};
// Column widths [pixels]; the default is the column's design width.
inline constexpr IndexedSetting<SettingKind::kInt> SelListSection{"SelList/Sec%d"};
inline constexpr IndexedSetting<SettingKind::kInt> StorHdrSection{"StorHdr/Sec%d"};

// Every row above, for code that walks the settings as a whole.
inline constexpr SettingRow kMainSettings[] = {
    UsedLang.Row(),       Autosave.Row(),      SaveViewPos.Row(),      CenterXP.Row(),
    CenterYP.Row(),       StartZoom.Row(),     DatumNum.Row(),         CoordSys.Row(),
    DegType.Row(),        SelX.Row(),          SelY.Row(),             SelX1.Row(),
    SelY1.Row(),          DoubleBuffered.Row(), DelUnknownImages.Row(), UseBigImage.Row(),
    GlobalCorrectX.Row(), GlobalCorrectY.Row(), DrawCenter.Row(),      CenterColor.Row(),
    DrawBorder.Row(),     BorderColor.Row(),   DrawCoord.Row(),        CoordColor.Row(),
    QueuedColor.Row(),    NotFoundColor.Row(), NotExitColor.Row(),     HilightFound.Row(),
    FoundColor.Row(),     AskQuit.Row(),       AskCache.Row(),         UseInet.Row(),
    GEBase.Row(),         UseProxy.Row(),      Proxy.Row(),            UseProxyUser.Row(),
    ProxyUser.Row(),      ProxyPwd.Row(),      INETLogFile.Row(),      ThreadsCount.Row(),
    MaxCount.Row(),       UseCache.Row(),      Cache.Row(),            MaxStorageErrors.Row(),
    WPAutoload.Row(),     TRAutoload.Row(),    WP_LastFile.Row(),      TR_LastFile.Row(),
    WP_LastFormat.Row(),  WP_CorX.Row(),       WP_CorY.Row(),          WP_Def_CorX.Row(),
    WP_Def_CorY.Row(),    WPSelBk.Row(),       WPSelColor.Row(),       WP_Font.Row(),
    WP_Def_Alt.Row(),     WP_Def_Color.Row(),  WP_Def_Back.Row(),      WP_Def_FSize.Row(),
    WP_Def_Size.Row(),    WP_Def_FType.Row(),  TRDrawAll.Row(),        TR_CorX.Row(),
    TR_CorY.Row(),        TR_Def_CorX.Row(),   TR_Def_CorY.Row(),      TRSelFill.Row(),
    TRSelLine.Row(),      TRPSelBColor.Row(),  TRPSelColor.Row(),      TRPBColor.Row(),
    TRPColor.Row(),       TR_Def_Width.Row(),  TR_Def_Color.Row(),     TR_Def_FStyle.Row(),
    TR_Def_FColor.Row(),  LoadEGM.Row(),       EGMHeight.Row(),        Window.Row(),
    CfgWindow.Row(),      SEL_Window.Row(),    SelListSection.Row(),   StorHdrSection.Row(),
};

}  // namespace tk::settings

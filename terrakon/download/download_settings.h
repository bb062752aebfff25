// Settings of the downloader and the area loading window, below the main
// window's settings link, declared like the rows of the main settings table.
#pragma once

#include "terrakon/config/setting.h"
#include "terrakon/download/inet_options.h"

namespace tk {

namespace settings {

// The area loading window (image export shares its placement key).
inline constexpr WindowSetting SelWin{"SelWin"};
// List column widths [pixels]; defaults kSetWinSectionWidths.
inline constexpr IndexedSetting<SettingKind::kInt> SetWinSection{"SetWin/Sec%d"};
inline constexpr int kSetWinSectionWidths[] = {16, 25, 52, 78, 73, 80, 155};
// Failures after which a run stops; 0: no limit. The window allows 0 ... kMaxErrorsLimit.
inline constexpr IntSetting SetWinMaxErrors{"SetWin/MaxErrors", 10};
inline constexpr int kMaxErrorsLimit = 10000;

inline constexpr SettingRow kDownloadSettings[] = {
    SelWin.Row(),
    SetWinSection.Row(),
    SetWinMaxErrors.Row(),
};

}  // namespace settings

class HStorageLink;

// The options with the seven fields that have settings ("UseProxy",
// "Proxy", "UseProxyUser", "ProxyUser", "ProxyPwd", "INETLogFile",
// "ThreadsCount") read from the link; the rest as in current.
InetOptions InetOptionsFromSettings(const HStorageLink& link, InetOptions current);
// Takes the base URL list "GEBase" for the requests (SetBaseUrls).
void ApplyDownloadSettings(const HStorageLink& link);

}  // namespace tk

// Settings of the geodesy windows, below the main window's settings link,
// declared like the rows of the main settings table.
#pragma once

#include "terrakon/config/setting.h"

namespace tk::settings {

// The coordinate entry frame's own choice, written after a successful entry;
// the defaults are the main window's current values.
inline constexpr CallerDefaultSetting<SettingKind::kInt> CoordsDegType{"Coords/DegType"};
inline constexpr CallerDefaultSetting<SettingKind::kInt> CoordsDatumNum{"Coords/DatumNum"};
inline constexpr CallerDefaultSetting<SettingKind::kInt> CoordsCoordSys{"Coords/CoordSys"};

// The datum selection window: its placement and column widths [pixels]
// (defaults: the design widths kDatumSelSectionWidths).
inline constexpr WindowSetting DatumSel{"DatumSel"};
inline constexpr IndexedSetting<SettingKind::kInt> DatumSelSection{"DatumSel/Sec%d"};
inline constexpr int kDatumSelSectionWidths[] = {300, 50, 40};

inline constexpr SettingRow kGeodesySettings[] = {
    CoordsDegType.Row(), CoordsDatumNum.Row(), CoordsCoordSys.Row(),
    DatumSel.Row(),      DatumSelSection.Row(),
};

}  // namespace tk::settings

// The export window's settings below "ImgSaveWin" and the working settings
// of a run, read from them when the run starts.
#pragma once

#include <cstdint>
#include <string>

#include "terrakon/config/setting.h"

namespace tk {

namespace settings {

inline constexpr TextSetting ImgOut{"ImgSaveWin/ImgOut", ""};
inline constexpr IntSetting ImgFormat{"ImgSaveWin/ImgFormat", -1};  // image layer format index
inline constexpr IntSetting ImgOver{"ImgSaveWin/ImgOver", 0};       // ExistingFilePolicy
inline constexpr IntSetting BmpQuality{"ImgSaveWin/BmpQuality", 90};
inline constexpr IntSetting BmpCompressionLevel{"ImgSaveWin/BmpCompressionLevel", 7};
inline constexpr BoolSetting BmpInterlaced{"ImgSaveWin/BmpInterlaced", false};
inline constexpr BoolSetting BmpProgressive{"ImgSaveWin/BmpProgressive", true};
// 0 "RLE", 1 "LZW", 2 "Dont compress".
inline constexpr IntSetting BmpCompression{"ImgSaveWin/BmpCompression", 1};
inline constexpr BoolSetting UseTopo{"ImgSaveWin/UseTopo", true};
inline constexpr BoolSetting TopoSameImg{"ImgSaveWin/TopoSameImg", true};
inline constexpr TextSetting TopoOut{"ImgSaveWin/TopoOut", ""};
inline constexpr IntSetting TopoFormat{"ImgSaveWin/TopoFormat", -1};  // calibration format index
inline constexpr IntSetting TopoOver{"ImgSaveWin/TopoOver", 0};
inline constexpr TextSetting TopoExt{"ImgSaveWin/TopoExt", "map"};
inline constexpr BoolSetting LimSize{"ImgSaveWin/LimSize", true};
inline constexpr IntSetting MaxW{"ImgSaveWin/MaxW", 10};  // [plates]
inline constexpr IntSetting MaxH{"ImgSaveWin/MaxH", 10};
inline constexpr BoolSetting OverTop{"ImgSaveWin/OverTop", true};
inline constexpr IntSetting NOverTop{"ImgSaveWin/NOverTop", 1};  // [plates]
inline constexpr BoolSetting OverLeft{"ImgSaveWin/OverLeft", true};
inline constexpr IntSetting NOverLeft{"ImgSaveWin/NOverLeft", 1};
inline constexpr BoolSetting OverRight{"ImgSaveWin/OverRight", true};
inline constexpr IntSetting NOverRight{"ImgSaveWin/NOverRight", 1};
inline constexpr BoolSetting OverBottom{"ImgSaveWin/OverBottom", true};
inline constexpr IntSetting NOverBottom{"ImgSaveWin/NOverBottom", 1};
// Window layout: the placement is shared with the area loading window.
inline constexpr WindowSetting ExportWindowPlacement{"SelWin"};
inline constexpr CallerDefaultSetting<SettingKind::kInt> ImgSaveListHeight{"ImgSaveWin/ListHeight"};
inline constexpr IndexedSetting<SettingKind::kInt> ImgSaveSection{"ImgSaveWin/Sec%d"};

inline constexpr SettingRow kExportSettings[] = {
    ImgOut.Row(),      ImgFormat.Row(),   ImgOver.Row(),     BmpQuality.Row(),
    BmpCompressionLevel.Row(), BmpInterlaced.Row(), BmpProgressive.Row(), BmpCompression.Row(),
    UseTopo.Row(),     TopoSameImg.Row(), TopoOut.Row(),     TopoFormat.Row(),
    TopoOver.Row(),    TopoExt.Row(),     LimSize.Row(),     MaxW.Row(),
    MaxH.Row(),        OverTop.Row(),     NOverTop.Row(),    OverLeft.Row(),
    NOverLeft.Row(),   OverRight.Row(),   NOverRight.Row(),  OverBottom.Row(),
    NOverBottom.Row(), ExportWindowPlacement.Row(), ImgSaveListHeight.Row(), ImgSaveSection.Row(),
};

}  // namespace settings

// What to do with a file that exists already.
enum ExistingFilePolicy : int32_t { kAskExisting = 0, kOverwriteExisting = 1, kKeepExisting = 2, kCancelExisting = 3 };

struct ExportSettings {
  std::string imageFolder;  // without a trailing '/'
  int32_t imageFormat = -1;
  int32_t imagePolicy = kAskExisting;
  int32_t quality = 90;           // 1 ... 100
  int32_t compressionLevel = 7;   // 1 ... 9
  bool interlaced = false;
  bool progressive = true;
  int32_t compression = 1;        // 0 "RLE", 1 "LZW", 2 "Dont compress"
  bool useTopo = true;
  bool topoSameAsImages = true;
  std::string topoFolder;         // without a trailing '/'
  int32_t topoFormat = -1;
  int32_t topoPolicy = kAskExisting;
  std::string topoExtension = "map";
  bool limitSize = true;
  int32_t maxWidth = 10;          // [plates]
  int32_t maxHeight = 10;
  bool overlapTop = true, overlapLeft = true, overlapRight = true, overlapBottom = true;
  int32_t top = 1, left = 1, right = 1, bottom = 1;  // overlaps [plates]

  // The calibration folder in effect.
  const std::string& CalibrationFolder() const {
    return useTopo && topoSameAsImages ? imageFolder : topoFolder;
  }
};

// Folders lose a trailing '/'; numbers of the window's spin boxes are kept
// within the boxes' ranges.
ExportSettings ReadExportSettings(const HStorageLink& link);
void WriteExportSettings(const HStorageLink& link, const ExportSettings& s);

}  // namespace tk

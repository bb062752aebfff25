#include "terrakon/imageexport/export_settings.h"

#include <algorithm>

namespace tk {
namespace {

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

int32_t Policy(int32_t stored) { return stored >= kAskExisting && stored <= kCancelExisting ? stored : kAskExisting; }

}  // namespace

ExportSettings ReadExportSettings(const HStorageLink& link) {
  namespace st = settings;
  ExportSettings s;
  s.imageFolder = WithoutTrailingSlash(st::ImgOut.Get(link));
  s.imageFormat = st::ImgFormat.Get(link);
  s.imagePolicy = Policy(st::ImgOver.Get(link));
  s.quality = std::clamp(st::BmpQuality.Get(link), 1, 100);
  s.compressionLevel = std::clamp(st::BmpCompressionLevel.Get(link), 1, 9);
  s.interlaced = st::BmpInterlaced.Get(link);
  s.progressive = st::BmpProgressive.Get(link);
  s.compression = st::BmpCompression.Get(link);
  s.useTopo = st::UseTopo.Get(link);
  s.topoSameAsImages = st::TopoSameImg.Get(link);
  s.topoFolder = WithoutTrailingSlash(st::TopoOut.Get(link));
  s.topoFormat = st::TopoFormat.Get(link);
  s.topoPolicy = Policy(st::TopoOver.Get(link));
  s.topoExtension = st::TopoExt.Get(link);
  s.limitSize = st::LimSize.Get(link);
  s.maxWidth = std::clamp(st::MaxW.Get(link), 1, 50);
  s.maxHeight = std::clamp(st::MaxH.Get(link), 1, 50);
  s.overlapTop = st::OverTop.Get(link);
  s.top = std::clamp(st::NOverTop.Get(link), 1, 10);
  s.overlapLeft = st::OverLeft.Get(link);
  s.left = std::clamp(st::NOverLeft.Get(link), 1, 10);
  s.overlapRight = st::OverRight.Get(link);
  s.right = std::clamp(st::NOverRight.Get(link), 1, 10);
  s.overlapBottom = st::OverBottom.Get(link);
  s.bottom = std::clamp(st::NOverBottom.Get(link), 1, 10);
  return s;
}

void WriteExportSettings(const HStorageLink& link, const ExportSettings& s) {
  namespace st = settings;
  st::ImgOut.Set(link, s.imageFolder);
  st::ImgFormat.Set(link, s.imageFormat);
  st::ImgOver.Set(link, s.imagePolicy);
  st::BmpQuality.Set(link, s.quality);
  st::BmpCompressionLevel.Set(link, s.compressionLevel);
  st::BmpInterlaced.Set(link, s.interlaced);
  st::BmpProgressive.Set(link, s.progressive);
  st::BmpCompression.Set(link, s.compression);
  st::UseTopo.Set(link, s.useTopo);
  st::TopoSameImg.Set(link, s.topoSameAsImages);
  st::TopoOut.Set(link, s.topoFolder);
  st::TopoFormat.Set(link, s.topoFormat);
  st::TopoOver.Set(link, s.topoPolicy);
  st::TopoExt.Set(link, s.topoExtension);
  st::LimSize.Set(link, s.limitSize);
  st::MaxW.Set(link, s.maxWidth);
  st::MaxH.Set(link, s.maxHeight);
  st::OverTop.Set(link, s.overlapTop);
  st::NOverTop.Set(link, s.top);
  st::OverLeft.Set(link, s.overlapLeft);
  st::NOverLeft.Set(link, s.left);
  st::OverRight.Set(link, s.overlapRight);
  st::NOverRight.Set(link, s.right);
  st::OverBottom.Set(link, s.overlapBottom);
  st::NOverBottom.Set(link, s.bottom);
}

}  // namespace tk

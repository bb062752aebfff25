#include "terrakon/imageexport/export_texts.h"

#include <algorithm>
#include <cinttypes>

#include "common/format_text.h"
#include "common/size_text.h"
#include "platform/i18n/translate.h"
#include "platform/imagelib/imagelib.h"

namespace tk {

std::vector<FormatEntry> ExportImageFormats() {
  std::vector<FormatEntry> entries;
  for (int i = 0; i < img::FormatCount(); ++i) {
    const img::FormatInfo* f = img::Format(i);
    if (!f || !f->writable) continue;
    entries.push_back({i, FormatText("%s - %s", f->name, f->description)});
  }
  return entries;
}

std::string ImagesText(const ZoomPlanLevel& level, const ExportSettings& s) {
  const uint64_t w = static_cast<uint64_t>(level.xHigh - level.xLow + 1);
  const uint64_t h = static_cast<uint64_t>(level.yHigh - level.yLow + 1);
  uint64_t nx = 1, ny = 1, iw = w, ih = h;
  if (s.limitSize) {
    const uint64_t mw = static_cast<uint64_t>(s.maxWidth), mh = static_cast<uint64_t>(s.maxHeight);
    nx = std::max<uint64_t>(1, (w + mw - 1) / mw);
    ny = std::max<uint64_t>(1, (h + mh - 1) / mh);
    iw = std::min(w, mw);
    ih = std::min(h, mh);
  }
  std::string text = s.limitSize ? FormatText("%" PRIu64 " (%" PRIu64 "x%" PRIu64 ")", nx * ny, nx, ny)
                                 : FormatText("1");
  const uint64_t plates = iw * ih * nx * ny;
  text += FormatText(", %" PRIu64 "x%" PRIu64, iw * 256, ih * 256);
  text += FormatText(", %s", SizeText(plates * 262144).c_str());
  text += FormatText("(~%s)", SizeText(plates * 12000).c_str());
  return text;
}

std::string MaxSizeText(const ExportSettings& s) {
  if (!s.limitSize) return {};
  const uint64_t w = static_cast<uint64_t>(s.maxWidth + (s.overlapLeft ? s.left : 0) + (s.overlapRight ? s.right : 0));
  const uint64_t h = static_cast<uint64_t>(s.maxHeight + (s.overlapTop ? s.top : 0) + (s.overlapBottom ? s.bottom : 0));
  return FormatText("%s: %" PRIu64 "x%" PRIu64, Translate("Max size"), w * 256, h * 256);
}

const char* ExportButtonCaption(bool running) { return Translate(running ? "Canc&el" : "&Export"); }

}  // namespace tk

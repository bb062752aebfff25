#include "terrakon/app/selection_rows.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "common/size_text.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"

namespace tk {
namespace {

SelectionRect Ordered(const SelectionRect& s) {
  return {std::min(s.SelX, s.SelX1), std::max(s.SelY, s.SelY1), std::max(s.SelX, s.SelX1),
          std::min(s.SelY, s.SelY1)};
}

std::string Format(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

SelectionRow MakeSelectionRow(const SelectionRect& selection, int level) {
  level = std::clamp(level, 1, kSelectionLevels);
  const SelectionRect s = Ordered(selection);
  int64_t rect[4] = {s.SelX, s.SelY1, s.SelX1, s.SelY};
  Rect2Num(rect, level);
  const uint64_t c1 = static_cast<uint64_t>(rect[0]), r1 = static_cast<uint64_t>(rect[1]);
  const uint64_t c2 = static_cast<uint64_t>(rect[2]), r2 = static_cast<uint64_t>(rect[3]);
  const int shift = kSelectionLevels - level;
  const uint64_t w = static_cast<uint64_t>(s.SelX1 - s.SelX + 1) >> shift;
  const uint64_t h = static_cast<uint64_t>(s.SelY - s.SelY1 + 1) >> shift;
  SelectionRow row;
  row.plateCount = (c2 - c1 + 1) * (r2 - r1 + 1);
  row.level = Format("%d", level);
  row.plates = Format("%" PRIu64 ",%" PRIu64 "-%" PRIu64 ",%" PRIu64, c1, r1, c2, r2);
  row.nPlates = Format("%" PRIu64, row.plateCount);
  row.image = Format("%" PRIu64 " (%" PRIu64 " x %" PRIu64 ")", w * h, w, h);
  row.avgSize = SizeText(row.plateCount * kAverageSelectionPlateBytes);
  return row;
}

std::string SelectionSummary(const SelectionRect& selection, const LevelTicks& ticks) {
  const SelectionRect s = Ordered(selection);
  uint64_t bytes = 0;
  for (int i = 0; i < kSelectionLevels; ++i)
    if (ticks[i]) bytes += MakeSelectionRow(selection, i + 1).plateCount * kAverageSelectionPlateBytes;
  char text[300];
  std::snprintf(text, sizeof text, "%" PRIu64 " x %" PRIu64 " / %" PRIu64 " x %" PRIu64 "\n%s: %s",
                static_cast<uint64_t>(s.SelX), static_cast<uint64_t>(s.SelY1),
                static_cast<uint64_t>(s.SelX1), static_cast<uint64_t>(s.SelY), Translate("Avg size"),
                SizeText(bytes).c_str());
  return text;
}

bool AnyTicked(const LevelTicks& ticks) {
  return std::any_of(ticks.begin(), ticks.end(), [](bool t) { return t; });
}

}  // namespace tk

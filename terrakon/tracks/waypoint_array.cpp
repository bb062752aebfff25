#include "terrakon/tracks/waypoint_array.h"

#include <algorithm>

#include "common/error.h"
#include "common/format_text.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/file_dialogs.h"
#include "terrakon/tracks/ozi_text.h"
#include "terrakon/tracks/track_settings.h"
#include "terrakon/tracks/waypoint_formats.h"

namespace tk {
namespace {

WaypointEditor& Editor() {
  static WaypointEditor editor;
  return editor;
}

}  // namespace

void SetWaypointEditor(WaypointEditor editor) { Editor() = std::move(editor); }

WaypointArray::WaypointArray(WaypointSettings* settings, const HStorageLink* link)
    : settings_(settings), link_(link) {}

int WaypointArray::AddListener(Listener listener) {
  listeners_.push_back({nextListener_, std::move(listener)});
  return nextListener_++;
}

void WaypointArray::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const Entry& e) { return e.id == id; });
}

void WaypointArray::CallListeners(int32_t item) {
  // A listener may unregister itself (a closing window), so walk a copy.
  std::vector<Entry> listeners = listeners_;
  for (const Entry& e : listeners) e.listener(item);
}

Waypoint WaypointArray::NewWaypoint(int64_t x, int64_t y) const {
  const int n = static_cast<int>(items_.size());
  const WaypointSettings& s = *settings_;
  Waypoint w;
  w.number = n;
  w.name = FormatText("WP%d", n + 1);
  w.description = FixedText(FormatText(Translate("Waypoint number %d"), n + 1));
  w.X = x;
  w.Y = y;
  w.state = 0;
  w.dateTime = LocalNow();
  w.altitude = s.defaultAltitude;
  w.foreground = s.defaultForeground;
  w.background = s.defaultBackground;
  w.fontSize = s.defaultFontSize;
  w.fontStyle = s.defaultFontStyle;
  w.symbolSize = s.defaultSymbolSize;
  w.visible = 1;
  w.correctionX = s.defaultCorrectionX;
  w.correctionY = s.defaultCorrectionY;
  w.settings = settings_;
  return w;
}

Waypoint& WaypointArray::AddWaypoint(const Waypoint& waypoint) {
  items_.push_back(waypoint);
  Waypoint& stored = items_.back();
  stored.settings = settings_;
  stored.changed = [this](int32_t) { NotifyChanged(); };
  NotifyChanged();
  return stored;
}

Waypoint* WaypointArray::AddWaypointAt(int64_t x, int64_t y) {
  Waypoint w = NewWaypoint(x, y);
  if (!Editor() || !Editor()(w)) return nullptr;
  return &AddWaypoint(w);
}

bool WaypointArray::EditWaypoint(Waypoint& waypoint) {
  if (!Editor() || !Editor()(waypoint)) return false;
  if (waypoint.changed) waypoint.changed(waypoint.number);
  return true;
}

void WaypointArray::NotifyChanged() {
  modified_ = true;
  if (!loading_) CallListeners(-1);
}

int WaypointArray::FindWaypointAt(const PixelRect& rect) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Waypoint& w = items_[i];
    if (w.X >= rect.X1 && w.X <= rect.X2 && w.Y >= rect.Y1 && w.Y <= rect.Y2) return static_cast<int>(i);
  }
  return -1;
}

void WaypointArray::SelectOnly(int index) {
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i].state = static_cast<int>(i) == index ? 1 : 0;
  CallListeners(-1);
}

int WaypointArray::CountSelected() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Waypoint& w) { return w.state == 1; }));
}

Waypoint* WaypointArray::NthSelected(int n) {
  if (n < 0) return nullptr;
  for (Waypoint& w : items_) {
    if (w.state == 1 && n-- == 0) return &w;
  }
  return nullptr;
}

void WaypointArray::Renumber() {
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i].number = static_cast<int32_t>(i);
}

bool WaypointArray::DeleteWaypoints(bool selectedOnly) {
  if (items_.empty()) return true;
  const int count = selectedOnly ? CountSelected() : static_cast<int>(items_.size());
  if (!AskYesNo(Translate("Delete %d %s waypoints?"), count, Translate(selectedOnly ? "selected" : "total")))
    return false;
  if (selectedOnly)
    std::erase_if(items_, [](const Waypoint& w) { return w.state == 1; });
  else
    items_.clear();
  NotifyChanged();
  return true;
}

void WaypointArray::Remember(const std::string& fileName, int formatCode) {
  if (!fileName_.empty()) return;
  fileName_ = FixedText(fileName);
  fileFormat_ = static_cast<uint8_t>(formatCode);
}

bool WaypointArray::ImportWaypoints(const std::string& fileName, int formatCode) {
  if (formatCode == kDetectFormat) {
    SetErrorText("%s", Translate("Autodetect not supported yet"));
    return false;
  }
  const WaypointFormat* format = WaypointFormatByCode(formatCode);
  if (!format || !format->read) {
    SetErrorText(Translate("Import for \"%s\" format is not supported yet"), WaypointFormatName(formatCode));
    return false;
  }
  loading_ = true;
  const bool ok = format->read(*this, fileName);
  loading_ = false;
  if (!ok) return false;
  Renumber();
  Remember(fileName, formatCode);
  CallListeners(-1);
  return true;
}

bool WaypointArray::ImportWaypointsLast(const std::string& fileName) {
  return ImportWaypoints(fileName, settings::WP_LastFormat.Get(*link_));
}

bool WaypointArray::ExportWaypoints(const std::string& fileName, int formatCode, bool selectedOnly) {
  if (formatCode == kDetectFormat) formatCode = kOziWaypointFormat;
  const WaypointFormat* format = WaypointFormatByCode(formatCode);
  if (!format || !format->write) {
    SetErrorText(Translate("Export for \"%s\" format is not supported yet"), WaypointFormatName(formatCode));
    return false;
  }
  if (!format->write(*this, fileName, selectedOnly)) return false;
  if (selectedOnly) return true;
  Remember(fileName, formatCode);
  modified_ = false;
  CallListeners(-1);
  return true;
}

bool WaypointArray::LoadWaypointsDialog() {
  FileDialogRequest request;
  std::vector<int> codes;
  const auto formats = WaypointFormats();
  for (std::size_t code = 0; code < formats.size(); ++code) {
    if (!formats[code].read) continue;
    request.filters.push_back(DialogFilter(formats[code].filter));
    codes.push_back(static_cast<int>(code));
  }
  if (codes.empty()) {
    SetErrorText("%s", Translate("Cannot find any import formats supported"));
    return false;
  }
  request.title = Translate("Load waypoints...");
  request.folder = settings::WP_LastPath.Get(*link_);
  request.filterIndex = std::clamp(settings::WPL_Type.Get(*link_) - 1, 0, static_cast<int>(codes.size()) - 1);
  std::optional<FileDialogResult> chosen = Ui().OpenFileDialog(request);
  if (!chosen) return true;
  const int index = std::clamp(chosen->filterIndex, 0, static_cast<int>(codes.size()) - 1);
  settings::WP_LastPath.Set(*link_, FolderOf(chosen->path));
  settings::WPL_Type.Set(*link_, index + 1);
  return ImportWaypoints(chosen->path, codes[index]);
}

bool WaypointArray::SaveWaypoints(bool selectedOnly) {
  if (!selectedOnly && !fileName_.empty() && fileFormat_ != kDetectFormat) {
    if (!modified_) return true;
    return ExportWaypoints(fileName_, fileFormat_, false);
  }
  FileDialogRequest request;
  std::vector<int> codes;
  const auto formats = WaypointFormats();
  for (std::size_t code = 0; code < formats.size(); ++code) {
    if (!formats[code].write) continue;
    request.filters.push_back(DialogFilter(formats[code].filter));
    codes.push_back(static_cast<int>(code));
  }
  if (codes.empty()) {
    SetErrorText("%s", Translate("Cannot find any export formats supported"));
    return false;
  }
  request.title = Translate("Save waypoints...");
  request.folder = settings::WP_LastPath.Get(*link_);
  request.filterIndex = std::clamp(settings::WPS_Type.Get(*link_) - 1, 0, static_cast<int>(codes.size()) - 1);
  std::optional<FileDialogResult> chosen = Ui().SaveFileDialog(request);
  if (!chosen) return true;
  const int index = std::clamp(chosen->filterIndex, 0, static_cast<int>(codes.size()) - 1);
  settings::WP_LastPath.Set(*link_, FolderOf(chosen->path));
  settings::WPS_Type.Set(*link_, index + 1);
  std::string path = chosen->path;
  if (!HasExtension(path)) {
    path += '.';
    path += formats[codes[index]].extension;
  }
  if (PathExists(path) && !AskYesNo(Translate("File %s already exist.\nOverwrite?"), path.c_str())) return true;
  return ExportWaypoints(path, codes[index], selectedOnly);
}

bool WaypointArray::LoadWaypointsDialogOrTell() {
  if (LoadWaypointsDialog()) return true;
  ErrorBox(Translate("Error loading: %s"), ErrorText().c_str());
  return false;
}

bool WaypointArray::SaveWaypointsOrTell(bool selectedOnly) {
  if (SaveWaypoints(selectedOnly)) return true;
  ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
  return false;
}

PixelPoint WaypointDrawnPosition(const Waypoint& w) {
  int64_t gx = w.settings ? w.settings->globalCorrectionX : 0;
  int64_t gy = w.settings ? w.settings->globalCorrectionY : 0;
  // Wrapping sums: corrections come from the settings file and must not be
  // able to make the arithmetic undefined.
  auto add = [](int64_t a, int64_t b, int64_t c) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b) + static_cast<uint64_t>(c));
  };
  return {add(w.X, gx, w.correctionX), add(w.Y, gy, w.correctionY)};
}

}  // namespace tk

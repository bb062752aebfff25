#include "terrakon/tracks/track.h"

#include <algorithm>

#include "common/error.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/file_dialogs.h"
#include "terrakon/tracks/ozi_text.h"
#include "terrakon/tracks/track_array.h"
#include "terrakon/tracks/track_formats.h"
#include "terrakon/tracks/track_settings.h"

namespace tk {

void TrackPoint::Changed() const {
  if (track) track->PointChanged();
}

const char* TrackTypeName(int32_t type) {
  switch (type) {
    case kTrackLine: return Translate("Line");
    case kTrackArea: return Translate("Area");
    case kTrackAlarm: return Translate("Alarm");
  }
  return Translate("<unknown>");
}

Track::Track(TrackArray* list) : list_(list) {}

TrackPoint Track::NewTrackPoint(int64_t x, int64_t y) const {
  TrackPoint p;
  p.X = x;
  p.Y = y;
  p.number = static_cast<int32_t>(points_.size());
  p.altitude = -777;
  p.dateTime = LocalNow();
  return p;
}

TrackPoint& Track::AddTrackPoint(const TrackPoint& point) {
  points_.push_back(point);
  TrackPoint& stored = points_.back();
  stored.track = this;
  PointChanged();
  return stored;
}

void Track::PointChanged() {
  modified = true;
  if (!loading) Notify();
}

int Track::AddListener(Listener listener) {
  listeners_.push_back({nextListener_, std::move(listener)});
  return nextListener_++;
}

void Track::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const Entry& e) { return e.id == id; });
}

void Track::Notify() {
  std::vector<Entry> listeners = listeners_;
  for (const Entry& e : listeners) e.listener(number);
}

void Track::StoreLastFile(const std::string& file, int formatCode) {
  settings::TR_LastFile.Set(list_->Link(), StoredPath(file));
  settings::TR_LastFormat.Set(list_->Link(), formatCode);
}

bool Track::ImportTrack(const std::string& file, int formatCode) {
  // Cleared first, so that a file that fails is not loaded again at the next start.
  settings::TR_LastFile.Set(list_->Link(), "");
  if (formatCode == kDetectTrackFormat) {
    SetErrorText("%s", Translate("Autodetect not supported yet"));
    return false;
  }
  points_.clear();
  const TrackFormat* f = TrackFormatByCode(formatCode);
  if (!f || !f->read) {
    SetErrorText(Translate("Import for \"%s\" format is not supported yet"), TrackFormatName(formatCode));
    return false;
  }
  loading = true;
  const bool ok = f->read(*this, file);
  loading = false;
  if (!ok) return false;
  StoreLastFile(file, formatCode);
  fileName = FixedText(file);
  format = static_cast<uint8_t>(formatCode);
  modified = false;
  Notify();
  return true;
}

bool Track::ImportTrackLast(const std::string& file) {
  return ImportTrack(file, settings::TR_LastFormat.Get(list_->Link()));
}

bool Track::ExportTrack(const std::string& file, int formatCode, bool selectedOnly) {
  if (formatCode == kDetectTrackFormat) formatCode = kOziTrackFormat;
  const TrackFormat* f = TrackFormatByCode(formatCode);
  if (!f || !f->write) {
    SetErrorText(Translate("Export for \"%s\" format is not supported yet"), TrackFormatName(formatCode));
    return false;
  }
  if (!f->write(*this, file, selectedOnly)) return false;
  StoreLastFile(file, formatCode);
  if (!selectedOnly) {
    fileName = FixedText(file);
    format = static_cast<uint8_t>(formatCode);
    modified = false;
  }
  Notify();
  return true;
}

namespace {

// The formats with a reader (or a writer) as dialog filters and their codes.
std::vector<int> DialogFormats(bool writers, FileDialogRequest* request) {
  std::vector<int> codes;
  const auto formats = TrackFormats();
  for (std::size_t code = 0; code < formats.size(); ++code) {
    if (writers ? !formats[code].write : !formats[code].read) continue;
    request->filters.push_back(DialogFilter(formats[code].filter));
    codes.push_back(static_cast<int>(code));
  }
  return codes;
}

std::string LastFolder(const HStorageLink& link) {
  std::string stored = settings::TR_LastPath.Get(link);
  return stored.empty() ? stored : ProgramRelativePath(stored);
}

}  // namespace

bool Track::SaveTrack(bool selectedOnly) {
  if (!selectedOnly && !fileName.empty() && format != kDetectTrackFormat) {
    if (!modified) return true;
    return ExportTrack(fileName, format, false);
  }
  const HStorageLink& link = list_->Link();
  FileDialogRequest request;
  const std::vector<int> codes = DialogFormats(true, &request);
  if (codes.empty()) {
    SetErrorText("%s", Translate("Cannot find any export formats supported"));
    return false;
  }
  const int last = static_cast<int>(codes.size()) - 1;
  request.title = Translate("Save track...");
  request.folder = LastFolder(link);
  request.filterIndex = std::clamp(settings::TRS_Type.Get(link) - 1, 0, last);
  std::optional<FileDialogResult> chosen = Ui().SaveFileDialog(request);
  if (!chosen) return true;
  const int index = std::clamp(chosen->filterIndex, 0, last);
  settings::TRS_Type.Set(link, index + 1);
  // The folder of the file just chosen is where the next dialog opens.
  settings::TR_LastPath.Set(link, StoredPath(FolderOf(chosen->path)));
  std::string path = chosen->path;
  if (!HasExtension(path)) {
    path += '.';
    path += TrackFormats()[codes[index]].extension;
  }
  if (PathExists(path) && !AskYesNo(Translate("File %s already exist.\nOverwrite?"), path.c_str())) return true;
  return ExportTrack(path, codes[index], selectedOnly);
}

bool Track::SaveTrackOrTell(bool selectedOnly) {
  if (SaveTrack(selectedOnly)) return true;
  ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
  return false;
}

bool Track::LoadTrackDialog() {
  const HStorageLink& link = list_->Link();
  FileDialogRequest request;
  const std::vector<int> codes = DialogFormats(false, &request);
  if (codes.empty()) {
    SetErrorText("%s", Translate("Cannot find any import formats supported"));
    return false;
  }
  const int last = static_cast<int>(codes.size()) - 1;
  request.title = Translate("Load track...");
  request.folder = LastFolder(link);
  request.filterIndex = std::clamp(settings::TRL_Type.Get(link) - 1, 0, last);
  std::optional<FileDialogResult> chosen = Ui().OpenFileDialog(request);
  if (!chosen) {
    SetLastError(kErrorCancelled);
    return false;
  }
  const int index = std::clamp(chosen->filterIndex, 0, last);
  settings::TR_LastPath.Set(link, StoredPath(FolderOf(chosen->path)));
  settings::TRL_Type.Set(link, index + 1);
  return ImportTrack(chosen->path, codes[index]);
}

void Track::LoadIntoTrack() {
  if (modified) {
    int answer = AskYesNoCancel(nullptr, Translate("Track number %d named \"%s\" is changed.\nSave changes before load?"),
                                number + 1, name.c_str());
    if (answer == kAnswerCancel) return;
    if (answer == kAnswerYes && !SaveTrack(false)) {
      ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
      return;
    }
  }
  if (!LoadTrackDialog() && GetLastError() != kErrorCancelled)
    ErrorBox(Translate("Error loading: %s"), ErrorText().c_str());
}

}  // namespace tk

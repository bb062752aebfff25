#include "terrakon/tracks/track_array.h"

#include <algorithm>

#include "common/error.h"
#include "common/format_text.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/ozi_text.h"

namespace tk {

void LoadTrackSettings(const HStorageLink& link, TrackSettings* s) {
  namespace st = settings;
  s->pointColor = st::TRPColor.Get(link);
  s->pointFill = st::TRPBColor.Get(link);
  s->selectedPointColor = st::TRPSelColor.Get(link);
  s->selectedPointFill = st::TRPSelBColor.Get(link);
  s->selectedLine = st::TRSelLine.Get(link);
  s->selectedFill = st::TRSelFill.Get(link);
  s->drawAll = st::TRDrawAll.Get(link);
  s->correctionX = st::TR_CorX.Get(link);
  s->correctionY = st::TR_CorY.Get(link);
  s->defaultCorrectionX = st::TR_Def_CorX.Get(link);
  s->defaultCorrectionY = st::TR_Def_CorY.Get(link);
}

TrackArray::TrackArray(const HStorageLink* link) : link_(link) { LoadTrackSettings(*link_, &settings_); }

TrackArray::~TrackArray() = default;

int TrackArray::AddListener(Listener listener) {
  listeners_.push_back({nextListener_, std::move(listener)});
  return nextListener_++;
}

void TrackArray::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const Entry& e) { return e.id == id; });
}

void TrackArray::CallListeners(int32_t item) {
  std::vector<Entry> listeners = listeners_;
  for (const Entry& e : listeners) e.listener(item);
}

std::unique_ptr<Track> TrackArray::NewTrack() {
  auto t = std::make_unique<Track>(this);
  const int n = static_cast<int>(tracks_.size());
  t->number = n;
  t->state = 0;
  t->type = kTrackLine;
  t->name = FixedText(FormatText(Translate("Track N%d"), n + 1));
  t->lineWidth = settings::TR_Def_Width.Get(*link_);
  t->color = settings::TR_Def_Color.Get(*link_);
  const int32_t style = settings::TR_Def_FStyle.Get(*link_);
  t->fillStyle = static_cast<uint8_t>(style >= 0 && style <= 7 ? style : 0);
  t->fillColor = settings::TR_Def_FColor.Get(*link_);
  t->correctionX = settings_.defaultCorrectionX;
  t->correctionY = settings_.defaultCorrectionY;
  return t;
}

Track& TrackArray::AddTrack(std::unique_ptr<Track> track) {
  Track* t = track.get();
  tracks_.push_back(std::move(track));
  t->AddListener([this, t](int32_t) { CallListeners(t->number); });
  CallListeners(-1);
  return *t;
}

bool TrackArray::LoadNewTrack() {
  std::unique_ptr<Track> t = NewTrack();
  if (!t->LoadTrackDialog()) return false;
  AddTrack(std::move(t));
  return true;
}

bool TrackArray::LoadNewTrackOrTell() {
  if (LoadNewTrack()) return true;
  if (GetLastError() != kErrorCancelled) ErrorBox(Translate("Error loading: %s"), ErrorText().c_str());
  return false;
}

bool TrackArray::LoadTrackFile(const std::string& fileName) {
  std::unique_ptr<Track> t = NewTrack();
  if (!t->ImportTrackLast(fileName)) return false;
  AddTrack(std::move(t));
  return true;
}

bool TrackArray::AskSaveTracks() {
  int remembered = 0;
  for (const auto& t : tracks_) {
    if (!t->modified) continue;
    const int answer = AskYesNoCancel(&remembered, Translate("Track %d named \"%s\" is changed.\nSave changes?"),
                                      t->number + 1, t->name.c_str());
    if (answer == kAnswerCancel) return false;
    if (answer == kAnswerYes && !t->SaveTrack(false)) ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
  }
  return true;
}

Track* TrackArray::CurrentTrack() const {
  for (const auto& t : tracks_)
    if (t->state == 1) return t.get();
  return nullptr;
}

void TrackArray::SelectTrack(int index) {
  Track* current = CurrentTrack();
  if (current && current->number != index) {
    current->state = 0;
    CallListeners(current->number);
  }
  if (index < 0 || index >= static_cast<int>(tracks_.size())) return;
  tracks_[index]->state = 1;
  CallListeners(index);
}

bool TrackArray::DeleteTrack(int index) {
  if (index < 0 || index >= static_cast<int>(tracks_.size())) return false;
  Track& t = *tracks_[index];
  if (t.modified) {
    const int answer = AskYesNoCancel(nullptr, Translate("Track %d named \"%s\" is changed.\nSave changes?"),
                                      t.number + 1, t.name.c_str());
    if (answer == kAnswerCancel) return false;
    if (answer == kAnswerYes && !t.SaveTrack(false)) {
      ErrorBox(Translate("Error saving: %s"), ErrorText().c_str());
      return false;
    }
  } else if (!AskYesNo(Translate("Delete %d-th track from list?"), t.number + 1)) {
    return true;
  }
  tracks_.erase(tracks_.begin() + index);
  RenumberTracks();
  CallListeners(-1);
  return true;
}

void TrackArray::RenumberTracks() {
  for (std::size_t i = 0; i < tracks_.size(); ++i) tracks_[i]->number = static_cast<int32_t>(i);
}

bool TrackArray::AnyTrackModified() const {
  return std::any_of(tracks_.begin(), tracks_.end(), [](const auto& t) { return t->modified; });
}

void TrackArray::DeleteAllButFirst() {
  if (tracks_.size() > 1) tracks_.erase(tracks_.begin() + 1, tracks_.end());
  if (!tracks_.empty()) {
    Track& first = *tracks_.front();
    first.ClearPoints();
    first.modified = false;
    // A later quick save must not overwrite the old file with new points.
    first.fileName.clear();
    first.format = kDetectTrackFormat;
  }
  CallListeners(-1);
}

void TrackArray::Clear() {
  tracks_.clear();
  DeleteTrackPoints();
  CallListeners(-1);
}

}  // namespace tk

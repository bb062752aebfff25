#include "terrakon/config/cfg_storage.h"

#include <algorithm>

#include "common/error.h"
#include "common/paths.h"
#include "terrakon/config/storage_link.h"
#include "terrakon/config/tree_file.h"

namespace tk {

HCfgStorage::HCfgStorage() = default;

HCfgStorage::~HCfgStorage() {
  for (HStorageLink* link : links_) link->storage_ = nullptr;
}

void HCfgStorage::SetFileName(std::string_view name) {
  if (name == fileName_) return;
  fileName_ = name;
  fullPath_ = fileName_.empty() ? std::string() : ProgramRelativePath(fileName_);
  if (!fileName_.empty() && autoLoad_) LoadFile();
}

bool HCfgStorage::CheckPath() const {
  if (fullPath_.empty()) {
    SetErrorText("No configuration file name");
    return false;
  }
  // Refused rather than cut: a cut path would name another file.
  if (fullPath_.size() > kMaxPath) {
    SetErrorText("Configuration file path longer than %zu characters: %s", kMaxPath,
                 fullPath_.c_str());
    return false;
  }
  return true;
}

template <typename Member>
void HCfgStorage::NotifyLinks(Member event) {
  // A handler may unbind links; only those still bound are called.
  const std::vector<HStorageLink*> links = links_;
  for (HStorageLink* link : links) {
    if (!IsBound(link)) continue;
    const HStorageLink::Event& handler = link->*event;
    if (handler && link->LinkItem()) handler(*this);
  }
}

bool HCfgStorage::LoadFile() {
  if (!CheckPath() || !LoadTreeFile(fullPath_, root_)) return false;
  if (OnLoad) OnLoad(*this);
  NotifyLinks(&HStorageLink::OnLoad);
  return true;
}

bool HCfgStorage::SaveFile() {
  if (!CheckPath()) return false;
  if (OnSave) OnSave(*this);
  NotifyLinks(&HStorageLink::OnSave);
  return SaveTreeFile(fullPath_, root_);
}

void HCfgStorage::Bind(HStorageLink* link) {
  if (!IsBound(link)) links_.push_back(link);
}

void HCfgStorage::Unbind(HStorageLink* link) { std::erase(links_, link); }

bool HCfgStorage::IsBound(const HStorageLink* link) const {
  return std::find(links_.begin(), links_.end(), link) != links_.end();
}

}  // namespace tk

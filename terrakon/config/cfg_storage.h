// The store of the program's settings: owns the item tree, loads it from and
// saves it to one file, and keeps the links bound to it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "terrakon/config/config_item.h"

namespace tk {

class HStorageLink;

class HCfgStorage {
 public:
  using Event = std::function<void(HCfgStorage&)>;

  HCfgStorage();
  ~HCfgStorage();  // detaches every bound link
  HCfgStorage(const HCfgStorage&) = delete;
  HCfgStorage& operator=(const HCfgStorage&) = delete;

  // A relative name is taken relative to the program folder. A changed,
  // non-empty name is loaded at once when AutoLoad is on.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string_view name);
  // The full path that LoadFile and SaveFile use ("" without a file name).
  const std::string& FullPath() const { return fullPath_; }

  bool AutoLoad() const { return autoLoad_; }
  void SetAutoLoad(bool on) { autoLoad_ = on; }
  // Kept for the owner to decide; SaveFile never runs by itself.
  bool AutoSave() const { return autoSave_; }
  void SetAutoSave(bool on) { autoSave_ = on; }

  // Replaces the tree by the file's. A file of another format leaves the
  // tree as it was; a broken one leaves it empty. Then OnLoad of the store
  // and of each link, in binding order.
  bool LoadFile();
  // OnSave of the store and of each link, then the file is replaced as a
  // whole; on failure the previous file stays. False with the thread's error.
  bool SaveFile();

  HConfigItem& Root() { return root_; }
  const std::vector<HStorageLink*>& Links() const { return links_; }

  Event OnLoad;  // after a successful load
  Event OnSave;  // before a save

 private:
  friend class HStorageLink;
  void Bind(HStorageLink* link);
  void Unbind(HStorageLink* link);
  bool IsBound(const HStorageLink* link) const;
  bool CheckPath() const;
  template <typename Member>
  void NotifyLinks(Member event);

  std::string fileName_;
  std::string fullPath_;
  bool autoLoad_ = true;
  bool autoSave_ = true;
  HConfigItem root_;
  std::vector<HStorageLink*> links_;
};

}  // namespace tk

// The plugin's export over tiledir::Store.
#include "common/plugin_abi.h"
#include "storages/kit/plugin_glue.h"
#include "storages/tiledir/tiledir_store.h"

extern "C" TK_PLUGIN_EXPORT const char* QueryPluginInterface(const PluginHostInfo* host,
                                                             PluginInfo* info) {
  using Glue = storagekit::PluginGlue<tiledir::Store>;
  if (const char* refused = Glue::CheckQuery(host, info)) return refused;
  Glue::FillPluginInfo(info, "Tile folder {z}/{x}/{y}.jpg, rows from the north",
                       StorageUsesDir | StorageCanWrite | StorageCanEnumerate);
  return nullptr;
}

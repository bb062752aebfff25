// The plugin's export over mbtiles::Store.
#include "common/plugin_abi.h"
#include "storages/kit/plugin_glue.h"
#include "storages/mbtiles/mbtiles_store.h"

extern "C" TK_PLUGIN_EXPORT const char* QueryPluginInterface(const PluginHostInfo* host,
                                                             PluginInfo* info) {
  using Glue = storagekit::PluginGlue<mbtiles::Store>;
  if (const char* refused = Glue::CheckQuery(host, info)) return refused;
  if (sqlite3_threadsafe() == 0) return "SQLite library is built without thread support";
  Glue::FillPluginInfo(info, "MBTiles 1.3 storage file (SQLite)",
                       StorageCanWrite | StorageCanEnumerate);
  return nullptr;
}

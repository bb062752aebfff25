#include "terrakon/plugins/plugin_host_info.h"

namespace tk {
namespace {

PluginHostInfo g_host = {PluginMagic, sizeof(PluginHostInfo), PluginHostVersionViewer, nullptr};

}  // namespace

const PluginHostInfo* ViewerPluginHostInfo() { return &g_host; }

void SetPluginHostContext(QuadcalcContext* context) { g_host.Context = context; }

}  // namespace tk

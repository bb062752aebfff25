/* A plugin written in C against the interface header alone: a read-only
 * storage that holds nothing. It proves the header serves a C author. */
#include <string.h>

#include "common/plugin_abi.h"

static int32_t Open(StorageActionInfo *action, const char *path) {
  (void)action;
  (void)path;
  return 1;
}

static void GetErrorText(StorageActionInfo *action, char *buffer, int32_t size) {
  (void)action;
  if (size > 0) {
    strncpy(buffer, "empty C storage", (size_t)size - 1);
    buffer[size - 1] = '\0';
  }
}

static uint16_t Check(StorageActionInfo *action, const char *key) {
  (void)action;
  (void)key;
  return StorageNotFound;
}

static uint16_t Get(StorageActionInfo *action, const char *key, const void **data, uint32_t *size) {
  (void)action;
  (void)key;
  (void)data;
  (void)size;
  return StorageNotFound;
}

static uint16_t Enumerate(StorageActionInfo *action, const char *prefix, EnumerateCallback callback,
                          uint32_t mode, void *user) {
  (void)action;
  (void)prefix;
  (void)callback;
  (void)mode;
  (void)user;
  return EnumerateEmpty;
}

static const StorageActionOps kOps = {Open, GetErrorText, Check, Get, NULL, Enumerate};
static StorageActionInfo g_action = {&kOps, PluginMagic, sizeof(StorageActionInfo), "empty", "c"};

static StorageActionInfo *CreateAction(void) { return &g_action; }
static void FreeAction(StorageActionInfo *action) { (void)action; }

TK_PLUGIN_EXPORT const char *QueryPluginInterface(const PluginHostInfo *host, PluginInfo *info) {
  if (!host || host->Magic != PluginMagic) return "unknown host";
  memset(info, 0, sizeof *info);
  info->Magic = PluginMagic;
  info->Size = sizeof *info;
  info->Type = PluginTypeStorage;
  info->Description = "empty C storage";
  info->Flags = StorageCanEnumerate;
  info->CreateAction = CreateAction;
  info->FreeAction = FreeAction;
  return NULL;
}

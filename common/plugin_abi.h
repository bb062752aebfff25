/* Storage plugin binary interface.
 *
 * A storage plugin is a shared library that exports one C function,
 * QueryPluginInterface. Through it the host learns the plugin's type and
 * capabilities and receives the functions that create and free storage
 * actions; an action is the plugin's handle on one opened storage (a file or
 * a directory) that checks, reads, writes, deletes and enumerates plates by
 * plate key ("q", "r", "s", "t", one letter per zoom level, 1 ... 30 letters).
 *
 * This header is all a plugin author needs; it compiles as C and C++.
 *
 * Ownership: the plugin owns its records, texts and returned data blocks;
 * the host owns PluginHostInfo and every buffer it passes in. Records are
 * 64-bit layouts with 4-byte packing; pointers are 8 bytes. Every size field
 * carries the sizeof of this header's record. */
#ifndef TK_COMMON_PLUGIN_ABI_H
#define TK_COMMON_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define TK_PLUGIN_STATIC_ASSERT(cond, text) static_assert(cond, text)
extern "C" {
#else
#define TK_PLUGIN_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

#if defined(__GNUC__)
#define TK_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define TK_PLUGIN_EXPORT
#endif

/* Marks every record of the interface. */
#define PluginMagic 0x01505647u

/* Plugin types. */
#define PluginTypeStorage 65537u

/* PluginInfo.Flags */
#define StorageUsesDir 0x1u      /* the storage is a directory, not a single file */
#define StorageCanWrite 0x2u     /* Write is supported */
#define StorageCanEnumerate 0x4u /* Enumerate is supported */

/* PluginHostInfo.Version of the two hosts. */
#define PluginHostVersionViewer 0x00010000u
#define PluginHostVersionUtility 0u

/* Write operations. */
#define StorageWriteKeep 0u    /* store unless the key is present */
#define StorageWriteReplace 1u /* store, replacing what the key holds */
#define StorageWriteDelete 2u  /* delete the key; data null, size 0 */

/* Enumerate modes. */
#define EnumerateKeys 2u /* the host needs keys and sizes only */
#define EnumerateData 3u /* the host needs the plate data as well */

/* Results of Check, Get and Write. */
#define StorageOk 0u
#define StorageNotFound 1u /* Check, Get: absent; Write: not done */
#define StorageError 2u    /* any other value is an error too */

/* Results of Enumerate. */
#define EnumerateFinished 0u
#define EnumerateEmpty 1u
#define EnumerateFailed 2u
#define EnumerateStopped 3u /* the callback returned 0 */

/* Bytes of the buffer the hosts pass to GetErrorText. */
#define PluginErrorTextBytes 100

#pragma pack(push, 4)

/* Built by the host; static for the life of the host process. */
typedef struct PluginHostInfo {
  uint32_t Magic;   /* PluginMagic */
  uint32_t Size;    /* sizeof(PluginHostInfo) */
  uint32_t Version; /* PluginHostVersionViewer or PluginHostVersionUtility */
  void *Context;    /* the viewer's QuadcalcContext; null in the utility */
} PluginHostInfo;

struct StorageActionInfo;

/* Called by the plugin once per plate found. Key and data are valid during
 * the call only; in EnumerateKeys mode the host reads index, key and size.
 * Returns non-zero to go on, 0 to stop. */
typedef int32_t (*EnumerateCallback)(void *user, int32_t index, const char *key,
                                     const void *data, uint32_t size);

/* Every operation takes the action record as its first argument. The hosts
 * look only at the low 16 bits of the results of Check, Get, Write and
 * Enumerate. */
typedef struct StorageActionOps {
  /* Opens the storage at path (null: closes the open one); non-zero: opened. */
  int32_t (*Open)(struct StorageActionInfo *action, const char *path);
  /* Writes a zero-terminated description of the last failure. */
  void (*GetErrorText)(struct StorageActionInfo *action, char *buffer, int32_t bufferSize);
  /* StorageOk: present, StorageNotFound: absent, other: error. */
  uint16_t (*Check)(struct StorageActionInfo *action, const char *key);
  /* StorageOk: *data and *size set, StorageNotFound: absent, other: error.
   * The block stays the plugin's; the host reads it before its next call
   * on the same action and never frees it. */
  uint16_t (*Get)(struct StorageActionInfo *action, const char *key, const void **data,
                  uint32_t *size);
  /* StorageOk: done, StorageNotFound: not done, other: error. */
  uint16_t (*Write)(struct StorageActionInfo *action, const char *key, const void *data,
                    uint32_t size, uint32_t operation);
  /* Calls back once per plate whose key begins with prefix ("" selects all).
   * EnumerateFinished, EnumerateEmpty, EnumerateFailed or EnumerateStopped. */
  uint16_t (*Enumerate)(struct StorageActionInfo *action, const char *prefix,
                        EnumerateCallback callback, uint32_t mode, void *user);
} StorageActionOps;

/* Created by PluginInfo.CreateAction, owned by the plugin until FreeAction.
 * A plugin may put its own state behind these fields and say so in Size. */
typedef struct StorageActionInfo {
  const StorageActionOps *Ops;
  uint32_t Magic;          /* PluginMagic */
  uint32_t Size;           /* at least sizeof(StorageActionInfo) */
  const char *DefaultPath; /* default storage file or directory name */
  const char *DefaultExt;  /* extension without dot for file names without one */
} StorageActionInfo;

/* Filled by the plugin in QueryPluginInterface. */
typedef struct PluginInfo {
  uint32_t Magic;          /* PluginMagic */
  uint32_t Size;           /* at least sizeof(PluginInfo) */
  uint32_t Type;           /* PluginTypeStorage */
  const char *Description; /* valid while the library is loaded */
  uint32_t Flags;          /* StorageUsesDir | StorageCanWrite | StorageCanEnumerate */
  void (*Init)(void);      /* or null; called once right after loading */
  void (*Done)(void);      /* or null; called once right before unloading */
  StorageActionInfo *(*CreateAction)(void); /* a new action, or null */
  void (*FreeAction)(StorageActionInfo *action);
} PluginInfo;

#pragma pack(pop)

TK_PLUGIN_STATIC_ASSERT(sizeof(void *) == 8, "the plugin records are laid out for 64-bit");
TK_PLUGIN_STATIC_ASSERT(sizeof(PluginHostInfo) == 20, "PluginHostInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(PluginHostInfo, Context) == 12, "PluginHostInfo layout");
TK_PLUGIN_STATIC_ASSERT(sizeof(StorageActionOps) == 6 * 8, "StorageActionOps layout");
TK_PLUGIN_STATIC_ASSERT(sizeof(StorageActionInfo) == 32, "StorageActionInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(StorageActionInfo, Magic) == 8, "StorageActionInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(StorageActionInfo, DefaultExt) == 24, "StorageActionInfo layout");
TK_PLUGIN_STATIC_ASSERT(sizeof(PluginInfo) == 56, "PluginInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(PluginInfo, Description) == 12, "PluginInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(PluginInfo, Flags) == 20, "PluginInfo layout");
TK_PLUGIN_STATIC_ASSERT(offsetof(PluginInfo, FreeAction) == 48, "PluginInfo layout");

/* The one export of a plugin. Fills *info; returns null on success, or a
 * text that describes why the plugin cannot work. */
typedef const char *(*QueryPluginInterfaceFunc)(const PluginHostInfo *host, PluginInfo *info);
#define QueryPluginInterfaceName "QueryPluginInterface"

#ifdef __cplusplus
}
#endif

#endif /* TK_COMMON_PLUGIN_ABI_H */

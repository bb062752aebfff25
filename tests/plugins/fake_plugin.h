// A storage plugin for tests: plates kept in memory per storage path, and
// every record and result of the interface steerable through
// FakePluginControl(), so that each failure path of a host can be reached.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FAKE_NORMAL (-1)

enum FakeBlock { kFakeBlockNormal, kFakeBlockNull, kFakeBlockEmpty, kFakeBlockHuge };

typedef struct FakeControl {
  /* QueryPluginInterface */
  const char *queryError;
  uint32_t infoMagic, infoSize, type, flags;
  int nullCreateAction; /* PluginInfo.CreateAction left null */
  /* CreateAction */
  int createReturnsNull;
  uint32_t actionMagic, actionSize;
  const char *defaultExt;
  /* operations: FAKE_NORMAL or the result to give */
  int openResult, checkResult, getResult, writeResult, enumerateResult;
  int getBlock;               /* enum FakeBlock */
  const char *enumerateExtraKey; /* reported after the stored plates, or null */
  char errorText[128];
  /* counters */
  int inits, dones, creates, frees, opens, closes, checks, gets, writes, enumerates;
  char lastOpenPath[512];
} FakeControl;

typedef FakeControl *(*FakePluginControlFunc)(void);
typedef void (*FakePluginResetFunc)(void);
/* Stores a plate in the memory storage of a path. */
typedef void (*FakePluginPutFunc)(const char *path, const char *key, const void *data,
                                  uint32_t size);
/* Size of a stored plate, -1 when absent. */
typedef int (*FakePluginSizeFunc)(const char *path, const char *key);

#ifdef __cplusplus
}
#endif

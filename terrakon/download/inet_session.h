// Internal: what the queue (downloader.cpp) shares with the fetch and the
// request builder. The "internet handle" is an immutable snapshot of the
// options; a fetch keeps its own reference for the whole download.
#pragma once

#include <cstdint>
#include <memory>

#include "terrakon/download/inet_options.h"

namespace tk {

struct InetSession {
  InetOptions options;
};

// StartDownloader has run and ShutdownDownloader has not.
bool DownloaderStarted();
// The open internet handle, null when none is open.
std::shared_ptr<const InetSession> CurrentInetSession();

void AddReceivedBytes(uint64_t bytes);
void AddStoredFile();

}  // namespace tk

// The download queue and its worker threads.
//
// The map view never waits for the network: GetPlate queues a GRequest and
// returns; ThreadsCount workers take requests in queue order, fetch each
// plate into the disk cache (FetchPlate), decode it into the memory cache
// and report it through the result callback.
//
// The downloader lock guards the queue. Queue changes that go with memory
// cache changes happen under it as one step: a worker removes its request,
// stores the plate or its marker and calls the callback without letting
// the lock go, and a 403 marks every queued key PlateForbidden and empties
// the queue under one hold, so no request is claimed or added between the
// marking and the emptying. A plate is decoded before the lock is taken and
// stored again under it, so a finished download still wins over a marker
// another worker set meanwhile. (The memory cache has its own lock besides,
// taken inside; it never calls out, so the order cannot deadlock.)
//
// All functions except the read-outs are for the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>

#include "terrakon/download/inet_options.h"
#include "terrakon/download/request.h"
#include "terrakon/plates/plate_ref.h"

namespace tk {

// Called on a worker thread, holding the downloader lock, for every plate
// that arrived (an image) or was refused (a marker). It must not wait for
// the user-interface thread and must not call the functions below.
using DownloadResultCallback = std::function<void(const GRequest& request, const PlateRef& result)>;

// Most workers started, whatever ThreadsCount says.
inline constexpr int kMaxDownloadThreads = 64;

// Starts the network library and installs the downloader as the plate
// source chain's downloader. Zeroes the statistics on the first start.
// Remembers the callback (also when already started).
bool StartDownloader(DownloadResultCallback callback);
// Stops the workers, closes the internet handle, takes the record and
// opens the handle again with new workers. False with the thread's error:
// "WSA not inited" before StartDownloader.
bool ApplyInetOptions(const InetOptions& options);
InetOptions GetInetOptions();
// Started and the internet handle open.
bool DownloaderReady();
// Stops everything; waits for downloads that are running; drops the queue.
void ShutdownDownloader();

// Appends a copy unless a queued request has the same key (that counts as
// success too). False with "INET not inited" before StartDownloader.
bool EnqueueRequest(const GRequest& request);
// Drops every request that no worker has claimed, keeping the order.
void PurgeRequests();

// Status bar read-outs; safe from any thread.
uint64_t DownloadedBytes();
uint64_t DownloadedFiles();
uint64_t QueueLength();

// The downloader lock, for callers that change the memory cache and the
// queue together. Never call while inside the result callback.
void LockDownloader();
void UnlockDownloader();

}  // namespace tk

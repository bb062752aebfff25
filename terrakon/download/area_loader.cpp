#include "terrakon/download/area_loader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/download/download_settings.h"
#include "terrakon/download/downloader.h"
#include "terrakon/download/fetch_plate.h"
#include "terrakon/download/plate_url.h"

namespace tk {
namespace {

constexpr int kSamples = 5;  // durations the finishing times are estimated from

constexpr const char* kRefusedQuestion =
    "Google returns wrong image!\nIts possible becouse of u IP address is banned by google service.\n"
    "Downloading is stopped.\n\nOpen received file?";

// The texts keep the 64-bit conversion "%I64u" of their dictionary entries;
// the C library here spells it "%llu".
std::string CountFormat(const char* text) {
  std::string format = Translate(text);
  for (std::size_t at; (at = format.find("%I64u")) != std::string::npos;) format.replace(at, 5, "%llu");
  return format;
}

unsigned long long Count(int64_t value) { return static_cast<unsigned long long>(value); }

std::string ClockText(double secondsSinceEpoch) {
  // Beyond any date localtime can show.
  if (!(secondsSinceEpoch > 0 && secondsSinceEpoch < 1e12)) return "?";
  const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local;
  char text[64];
  if (!localtime_r(&t, &local) || std::strftime(text, sizeof text, "%d-%b %H:%M:%S", &local) == 0) return "?";
  return text;
}

}  // namespace

void AreaLoader::SetMaxErrors(int limit) { maxErrors_ = std::clamp(limit, 0, settings::kMaxErrorsLimit); }

void AreaLoader::SetLoading(bool on) {
  if (!on) {
    Stop();
    return;
  }
  // A run that was asked to stop is still unwinding: it must not be
  // entered a second time from its own message processing.
  if (loading_ || running_) return;
  Run();
}

void AreaLoader::LoadPressed() {
  if (loading_ && !AskYesNo("%s", Translate("Abort loading?"))) return;
  SetLoading(!loading_);
}

void AreaLoader::Stop() {
  loading_ = false;
  view_.SetLoadCaption(Translate("&Load"));
  view_.SetCurrentText("");
  view_.SetTimeText("");
  view_.SetLevelProgress(0);
  view_.SetTotalProgress(0);
}

void AreaLoader::Run() {
  if (!DownloaderReady()) {
    ErrorBox("%s", Translate("Inet lib not inited!"));
    Stop();
    return;
  }
  loading_ = true;
  running_ = true;
  struct RunningMark {
    bool& running;
    ~RunningMark() { running = false; }
  } mark{running_};

  view_.SetLoadCaption(Translate("Cance&l"));
  const std::time_t start = std::time(nullptr);
  int64_t total = 0;
  for (const ZoomPlanLevel& level : plan_)
    if (level.enabled) total += level.total;
  int64_t processed = 0;
  int64_t failed = 0;
  double samples[kSamples];
  std::fill(std::begin(samples), std::end(samples), -1.0);
  int64_t sampleCount = 0;

  // A level left in the middle is waiting again, so that the next run of
  // this loader does it rather than skipping it for good.
  auto leave = [this](ZoomPlanLevel& level, int zoom) {
    level.state = kLevelWaiting;
    view_.LevelChanged(zoom);
  };

  for (int zoom = 1; zoom <= kMaxZoom && loading_; ++zoom) {
    ZoomPlanLevel& level = plan_[zoom - 1];
    if (!level.enabled || level.state != kLevelWaiting) continue;
    view_.SetLevelProgress(0);
    level.state = kLevelLoading;
    level.loaded = level.errors = level.notFound = 0;
    level.percent = 0;
    view_.LevelChanged(zoom);

    for (int64_t column = level.xLow; column <= level.xHigh; ++column) {
      for (int64_t row = level.yLow; row <= level.yHigh; ++row) {
        if (!loading_) {  // cancelled while the window handled its messages
          leave(level, zoom);
          return;
        }
        GRequest request;
        if (!PrepareRequest(request, column, row, zoom, std::nullopt)) {
          Log("%s", ErrorText().c_str());
          ErrorBox("%s", Translate("Error setup item to download"));
          leave(level, zoom);
          Stop();
          return;
        }
        view_.SetCurrentText(FormatText(CountFormat("Zoom: %d - %I64u, Total: %I64u / %I64u\n%s").c_str(), zoom,
                                        Count(level.total), Count(failed + processed), Count(total),
                                        request.key.c_str()));

        const auto began = std::chrono::steady_clock::now();
        const int status = FetchPlate(request.url, request.key);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
        if (ms.count() > 0) samples[sampleCount++ % kSamples] = static_cast<double>(ms.count()) / 1000.0;

        if (status == kFetchOk) {
          ++level.loaded;
          ++processed;
        } else if (status == kFetchNotFound) {
          ++level.notFound;
          ++processed;
        } else if (status == kFetchForbidden) {
          if (AskYesNo("%s", Translate(kRefusedQuestion)))
            view_.OpenReceivedFile(LastRequestFile(), ProgramFolder());
          leave(level, zoom);
          Stop();
          return;
        } else {
          ++level.errors;
          ++failed;
        }
        if (!loading_) {
          leave(level, zoom);
          return;
        }
        if (maxErrors_ != 0 && failed >= maxErrors_) {
          ErrorBox(Translate("Maximum number (%d) of errors reached"), static_cast<int>(failed));
          leave(level, zoom);
          Stop();
          return;
        }

        const int64_t levelDone = level.loaded + level.notFound + level.errors;
        level.percent = static_cast<double>(levelDone) * 100.0 / static_cast<double>(level.total);
        view_.LevelChanged(zoom);
        view_.SetLevelProgress(static_cast<int>(level.percent));
        view_.SetTotalProgress(static_cast<int>(static_cast<__int128>(failed + processed) * 100 / total));

        int present = 0;
        double sum = 0;
        for (double s : samples)
          if (s >= 0) {
            sum += s;
            ++present;
          }
        if (present > 0) {
          const double average = sum / present;
          const double now = static_cast<double>(std::time(nullptr));
          const double allDone = now + static_cast<double>(total - processed - failed) * average;
          const double levelEnd = now + std::floor(static_cast<double>(level.total - levelDone) * average);
          view_.SetTimeText(FormatText(Translate("%s -> %s Level: %s"), ClockText(double(start)).c_str(),
                                       ClockText(allDone).c_str(), ClockText(levelEnd).c_str()));
        } else {
          view_.SetTimeText(FormatText(Translate("%s -> ?"), ClockText(double(start)).c_str()));
        }

        ErrorNumberKeeper keep;
        Ui().ProcessPendingMessages();
      }
    }
    level.state = kLevelDone;
    view_.LevelChanged(zoom);
    if (level.notFound == level.total) {
      ErrorBox(Translate("Not found single images at zoom %d\nDownloading is stopped."), zoom);
      break;
    }
  }
  Stop();
}

std::string AreaLoadingCaption(const InetOptions& options) {
  return FormatText("%s (%s)", Translate("Images loading"),
                    options.UseProxy ? options.Proxy.c_str() : Translate("direct connection"));
}

}  // namespace tk

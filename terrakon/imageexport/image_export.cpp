#include "terrakon/imageexport/image_export.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <new>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/pr_period.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/imageexport/calibration_formats.h"
#include "terrakon/imageexport/export_files.h"
#include "terrakon/imageexport/row_writer.h"
#include "terrakon/imageexport/world_file.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/plate_ref.h"
#include "terrakon/plates/plate_source.h"

namespace tk {
namespace {

constexpr int kPlateRowBytes = kPlateLineBytes;  // 256 pixels of 3 bytes
constexpr uint8_t kMissingGrey = 0x7F;

using SteadyClock = std::chrono::steady_clock;

double SecondsSince(SteadyClock::time_point start) {
  return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// The image layer's text, with the system's reason for file errors.
std::string ImageErrorDetail(int code, int error) {
  std::string text = img::ImageErrorText(code);
  if ((code == img::kImgFileOpen || code == img::kImgFileWrite) && error != 0) {
    text += " (";
    text += ErrorText(error);
    text += ')';
  }
  return text;
}

// Sizes for the messages, which print them as int.
int Shown(int64_t v) { return static_cast<int>(std::min<int64_t>(v, INT32_MAX)); }

std::string TimeText(std::time_t t) {
  std::tm local{};
  char text[64];
  if (!localtime_r(&t, &local) || std::strftime(text, sizeof text, "%d-%b %H:%M:%S", &local) == 0) return "?";
  return text;
}

}  // namespace

struct ImageExport::Image {
  int z = 0;
  int i = 0, j = 0;
  int64_t xs = 0, ys = 0, xe = 0, ye = 0;      // plates of the image, overlaps included
  int64_t cxs = 0, cys = 0, cxe = 0, cye = 0;  // the chunk, whose plates count as done
  int64_t width = 0, height = 0;               // [pixels]
  uint64_t filled = 0;
};

ImageExport::ImageExport(const HStorageLink* link, ExportObserver* observer)
    : link_(link), observer_(observer ? observer : &silent_), period_(std::make_unique<PRPeriod>()),
      now_([] { return std::time(nullptr); }) {}

ImageExport::~ImageExport() = default;

void ImageExport::SetProgressPeriod(std::chrono::milliseconds period) {
  period_ = std::make_unique<PRPeriod>(period);
}

void ImageExport::SetExportRunning(bool on) {
  if (!on) {
    running_ = false;
    observer_->RunningChanged(false);
    return;
  }
  if (running_) return;
  observer_->SaveControls();
  working_ = ReadExportSettings(*link_);
  if (!CheckSettings()) return;
  running_ = true;
  observer_->RunningChanged(true);
  ExportRun();
  img::FreeBitmap(bitmap_);
  SetExportRunning(false);
}

void ImageExport::AskAbort() {
  if (running_ && AskYesNo("%s", Translate("Abort export images?"))) running_ = false;
}

bool ImageExport::CheckSettings() {
  const ExportSettings& s = working_;
  if (s.imageFolder.empty()) {
    ErrorBox("%s", Translate("Image storage directory is not set"));
    return false;
  }
  const img::FormatInfo* format = img::Format(s.imageFormat);
  if (!format || !format->writable) {
    ErrorBox(Translate("Image format is not selected or wrong: %d"), s.imageFormat);
    return false;
  }
  if (s.useTopo) {
    const CalibrationFormat* topo = CalibrationFormatAt(s.topoFormat);
    if (s.CalibrationFolder().empty() && !(topo && topo->besideImage)) {
      ErrorBox("%s", Translate("Topo storage directory is not set"));
      return false;
    }
    if (!topo) {
      ErrorBox(Translate("Topo format is not selected or wrong: %d"), s.topoFormat);
      return false;
    }
  }
  return true;
}

void ImageExport::ExportRun() {
  start_ = now_();
  totalAll_ = 0;
  for (const ZoomPlanLevel& level : plan_)
    if (level.enabled) totalAll_ += static_cast<uint64_t>(level.total);
  doneAll_ = 0;
  ring_.fill(-1);
  ringNext_ = 0;
  for (int z = 0; z < kMaxZoom && running_; ++z) {
    if (!plan_[z].enabled) continue;
    if (!ExportLevel(z)) break;
  }
}

bool ImageExport::ExportLevel(int z) {
  ZoomPlanLevel& level = plan_[z];
  level.loaded = level.errors = level.notFound = 0;
  level.percent = 0;
  level.state = kLevelLoading;
  levelDone_ = 0;
  observer_->LevelChanged(z);
  observer_->Progress({z, 0, totalAll_ ? static_cast<int>(doneAll_ * 100 / totalAll_) : 0, TimesText(z)});

  const ExportSettings& s = working_;
  const int64_t last = (int64_t{1} << (z + 1)) - 1;
  const int64_t stepX = s.limitSize ? s.maxWidth : level.xHigh - level.xLow + 1;
  const int64_t stepY = s.limitSize ? s.maxHeight : level.yHigh - level.yLow + 1;
  int i = 0;
  for (int64_t cx = level.xLow; cx <= level.xHigh; cx += stepX) {
    ++i;
    int j = 0;
    for (int64_t cy = level.yLow; cy <= level.yHigh; cy += stepY) {
      ++j;
      Image im;
      im.z = z;
      im.i = i;
      im.j = j;
      im.cxs = cx;
      im.cys = cy;
      im.cxe = std::min(cx + stepX - 1, level.xHigh);
      im.cye = std::min(cy + stepY - 1, level.yHigh);
      const bool widen = s.limitSize;
      im.xs = std::clamp<int64_t>(im.cxs - (widen && s.overlapLeft ? s.left : 0), 0, last);
      im.ys = std::clamp<int64_t>(im.cys - (widen && s.overlapBottom ? s.bottom : 0), 0, last);
      im.xe = std::clamp<int64_t>(im.cxe + (widen && s.overlapRight ? s.right : 0), 0, last);
      im.ye = std::clamp<int64_t>(im.cye + (widen && s.overlapTop ? s.top : 0), 0, last);
      im.width = (im.xe - im.xs + 1) * kPlatePixels;
      im.height = (im.ye - im.ys + 1) * kPlatePixels;
      if (!(Streams(s, im.width, im.height) ? ExportStreamedImage(im) : ExportBitmapImage(im))) return false;
      if (!running_) return false;
    }
  }
  return true;
}

bool ImageExport::Streams(const ExportSettings& s, int64_t width, int64_t height) {
  return CanWriteRows(s.imageFormat) && (!s.limitSize || width * height * 3 > kStreamAbove);
}

std::string ImageExport::FileName(int z, int i, int j) const {
  return FormatText("%s/z%02d_%03d_%03d.%s", working_.imageFolder.c_str(), z + 1, i, j,
                    img::Format(working_.imageFormat)->suffix);
}

bool ImageExport::Fetch(Image& im, int64_t px, int64_t py, uint8_t* target, std::ptrdiff_t rowStep) {
  ZoomPlanLevel& level = plan_[im.z];
  char key[kPlateKeyBytes];
  MakePlateKey(key, px, py, im.z + 1);
  observer_->CurrentPlate(FormatText(Translate("Zoom: %d - %" PRIu64 ", Total: %" PRIu64 " / %" PRIu64 "\n%s"),
                                     im.z + 1, static_cast<uint64_t>(level.total), doneAll_, totalAll_, key));
  const SteadyClock::time_point started = SteadyClock::now();
  const PlateRef plate = FindPlate(key);
  const double seconds = SecondsSince(started);
  if (plate.IsImage() && plate.bytes() >= kPlateImageBytes) {
    const uint8_t* bits = plate.bits();
    for (int r = 0; r < kPlatePixels; ++r) std::memcpy(target + r * rowStep, bits + r * kPlateRowBytes, kPlateRowBytes);
    ++level.loaded;
    ++im.filled;
  } else {
    for (int r = 0; r < kPlatePixels; ++r) std::memset(target + r * rowStep, kMissingGrey, kPlateRowBytes);
    ++level.notFound;
  }
  // Overlap plates are fetched twice; only the chunk's own plates count.
  if (px >= im.cxs && px <= im.cxe && py >= im.cys && py <= im.cye) {
    ++levelDone_;
    ++doneAll_;
  }
  if (seconds > 0) AddTiming(seconds);
  if (!running_) return false;
  if (period_->Check()) {
    ReportProgress(im.z);
    Ui().ProcessPendingMessages();
  }
  return running_;
}

void ImageExport::ReportProgress(int z) {
  ZoomPlanLevel& level = plan_[z];
  level.percent = level.total > 0 ? static_cast<double>(levelDone_) * 100 / static_cast<double>(level.total) : 0;
  observer_->LevelChanged(z);
  observer_->Progress(
      {z, level.percent, totalAll_ ? static_cast<int>(doneAll_ * 100 / totalAll_) : 0, TimesText(z)});
}

void ImageExport::AddTiming(double seconds) { ring_[ringNext_++ % ring_.size()] = seconds; }

std::string ImageExport::TimesText(int z) const {
  double sum = 0;
  int count = 0;
  for (double v : ring_) {
    if (v > 0) {
      sum += v;
      ++count;
    }
  }
  if (count == 0) return FormatText("%s -> ?", TimeText(start_).c_str());
  const double average = sum / count;
  const std::time_t now = now_();
  const uint64_t leftAll = totalAll_ > doneAll_ ? totalAll_ - doneAll_ : 0;
  const uint64_t total = static_cast<uint64_t>(plan_[z].total);
  const uint64_t leftLevel = total > levelDone_ ? total - levelDone_ : 0;
  const std::time_t endAll = now + static_cast<std::time_t>(static_cast<double>(leftAll) * average);
  const std::time_t endLevel = now + static_cast<std::time_t>(static_cast<double>(leftLevel) * average);
  return FormatText(Translate("%s -> %s Level: %s"), TimeText(start_).c_str(), TimeText(endAll).c_str(),
                    TimeText(endLevel).c_str());
}

img::SaveParams ImageExport::SaveParams() const {
  img::SaveParams p = img::DefaultSaveParams();
  p.flags |= img::kSaveAnyway;
  p.formatIndex = working_.imageFormat;
  p.quality = working_.quality;
  p.compressionLevel = working_.compressionLevel;
  p.interlaced = working_.interlaced;
  p.progressive = working_.progressive;
  // The window's order is RLE, LZW, none.
  p.compression = working_.compression == 0   ? img::kCompressionRle
                  : working_.compression == 1 ? img::kCompressionLzw
                                              : img::kCompressionNone;
  return p;
}

bool ImageExport::ExportBitmapImage(Image& im) {
  Log("Createing bitmap %dx%d", Shown(im.width), Shown(im.height));
  img::FreeBitmap(bitmap_);
  const SteadyClock::time_point started = SteadyClock::now();
  int e = im.width > img::kMaxBitmapSide || im.height > img::kMaxBitmapSide
              ? img::kImgSizeLimit
              : img::AllocBitmap(bitmap_, img::kBgr, static_cast<int>(im.width), static_cast<int>(im.height), 4,
                                 img::kOriginBottomLeft);
  if (e) {
    ErrorBox(Translate("Error creating %dx%d bitmap"), Shown(im.width), Shown(im.height));
    return false;
  }
  AddTiming(SecondsSince(started));
  Log("Filling image...");
  for (int64_t px = im.xs; px <= im.xe; ++px) {
    for (int64_t py = im.ys; py <= im.ye; ++py) {
      uint8_t* target = bitmap_.Row(static_cast<int>((py - im.ys) * kPlatePixels)) + (px - im.xs) * kPlateRowBytes;
      if (!Fetch(im, px, py, target, bitmap_.bytesPerLine)) return false;
    }
  }
  Log("Filled %" PRIu64 " plates of %" PRIu64 " total", im.filled,
      static_cast<uint64_t>((im.xe - im.xs + 1) * (im.ye - im.ys + 1)));
  if (im.filled == 0) {
    Log("Result image does not contains loaded data. Skip save");
    return true;
  }
  const std::string name = FileName(im.z, im.i, im.j);
  Log("Save bitmap [%s]...", name.c_str());
  if (!WriteExportImage(name, bitmap_)) return false;
  return !working_.useTopo || WriteExportTopo(name, im.xs, im.ys, im.xe, im.ye, im.z);
}

bool ImageExport::ExportStreamedImage(Image& im) {
  const std::string name = FileName(im.z, im.i, im.j);
  Log("Streaming %dx%d image into [%s]", Shown(im.width), Shown(im.height), name.c_str());
  const int64_t stride = im.width * 3;
  std::unique_ptr<uint8_t[]> band;
  if (im.width <= INT32_MAX && im.height <= INT32_MAX && stride * kPlatePixels <= img::kMaxBitmapBytes) {
    try {
      band = std::make_unique_for_overwrite<uint8_t[]>(static_cast<std::size_t>(stride) * kPlatePixels);
    } catch (const std::bad_alloc&) {
    }
  }
  if (!band) {
    ErrorBox(Translate("Error creating %dx%d bitmap"), Shown(im.width), Shown(im.height));
    return false;
  }
  if ((working_.progressive && working_.imageFormat == img::kFormatJpeg) ||
      (working_.interlaced && working_.imageFormat == img::kFormatPng))
    Log("Progressive or interlaced output needs the whole image at once; writing it sequentially");

  const std::string temp = ExportTemporaryName(name);
  std::unique_ptr<RowWriter> writer;
  errno = 0;
  int e = OpenRowWriter(temp, static_cast<int>(im.width), static_cast<int>(im.height), SaveParams(), &writer);
  // Whatever happens below, no part of the image stays behind.
  auto discard = [&] {
    writer.reset();
    unlink(temp.c_str());
  };
  if (e) {
    const int error = errno;
    discard();
    ErrorBox(Translate("Error writing bitmap data: %s"), ImageErrorDetail(e, error).c_str());
    return false;
  }
  Log("Filling image...");
  for (int64_t py = im.ye; py >= im.ys; --py) {
    for (int64_t px = im.xs; px <= im.xe; ++px) {
      if (!Fetch(im, px, py, band.get() + (px - im.xs) * kPlateRowBytes, static_cast<std::ptrdiff_t>(stride))) {
        discard();
        return false;
      }
    }
    // Plates are stored bottom row first; files begin with the top row.
    for (int r = kPlatePixels - 1; r >= 0 && !e; --r) e = writer->WriteRow(band.get() + r * stride);
    if (e) break;
  }
  if (!e) e = writer->Finish();
  if (e) {
    const int error = errno;
    discard();
    ErrorBox(Translate("Error writing bitmap data: %s"), ImageErrorDetail(e, error).c_str());
    return false;
  }
  writer.reset();
  Log("Filled %" PRIu64 " plates of %" PRIu64 " total", im.filled,
      static_cast<uint64_t>((im.xe - im.xs + 1) * (im.ye - im.ys + 1)));
  if (im.filled == 0) {
    discard();
    Log("Result image does not contains loaded data. Skip save");
    return true;
  }
  Log("Save bitmap [%s]...", name.c_str());
  switch (ResolveExisting(name, &working_.imagePolicy, "Image [%s] already exist.\nOverwrite it?",
                          "Cancel writing images")) {
    case Existing::kCancel:
      discard();
      return false;
    case Existing::kSkip:
      discard();
      break;
    case Existing::kWrite:
      if (rename(temp.c_str(), name.c_str()) != 0) {
        const int error = errno;
        discard();
        ErrorBox(Translate("Error writing bitmap data: %s"), ImageErrorDetail(img::kImgFileWrite, error).c_str());
        return false;
      }
      break;
  }
  return !working_.useTopo || WriteExportTopo(name, im.xs, im.ys, im.xe, im.ye, im.z);
}

ImageExport::Existing ImageExport::ResolveExisting(const std::string& path, int32_t* policy, const char* question,
                                                   const char* cancelLog) {
  if (!ExportFileExists(path)) return Existing::kWrite;
  Log("File [%s] exist", path.c_str());
  switch (*policy) {
    case kOverwriteExisting:
      Log("Overwrite existing file with new data");
      return Existing::kWrite;
    case kKeepExisting:
      Log("Leave existing file intact");
      return Existing::kSkip;
    case kCancelExisting:
      Log("%s", cancelLog);
      return Existing::kCancel;
  }
  int remembered = 0;
  const int answer = AskYesNoCancel(&remembered, Translate(question), path.c_str());
  // A ticked answer holds for the rest of the run.
  if (remembered == kAnswerYes) *policy = kOverwriteExisting;
  if (remembered == kAnswerNo) *policy = kKeepExisting;
  if (answer == kAnswerYes) return Existing::kWrite;
  if (answer == kAnswerNo) return Existing::kSkip;
  return Existing::kCancel;
}

bool ImageExport::WriteExportImage(const std::string& fileName, const img::Bitmap& bitmap) {
  switch (ResolveExisting(fileName, &working_.imagePolicy, "Image [%s] already exist.\nOverwrite it?",
                          "Cancel writing images")) {
    case Existing::kCancel: return false;
    case Existing::kSkip: return true;
    case Existing::kWrite: break;
  }
  errno = 0;
  const int e = img::SaveBitmap(fileName.c_str(), bitmap, SaveParams());
  if (e) {
    ErrorBox(Translate("Error writing bitmap data: %s"), ImageErrorDetail(e, errno).c_str());
    return false;
  }
  return true;
}

bool ImageExport::WriteExportTopo(const std::string& imageFile, int64_t xStart, int64_t yStart, int64_t xEnd,
                                  int64_t yEnd, int z) {
  const CalibrationFormat* format = CalibrationFormatAt(working_.topoFormat);
  if (!format) {
    ErrorBox(Translate("Topo format is not selected or wrong: %d"), working_.topoFormat);
    return false;
  }
  std::string name;
  if (format->besideImage) {
    const std::size_t dot = imageFile.rfind('.');
    name = ReplaceExtension(imageFile, WorldFileExtension(dot == std::string::npos ? "" : imageFile.substr(dot + 1)));
  } else {
    const std::string extension = working_.topoExtension.empty() ? "map" : working_.topoExtension;
    name = JoinPath(working_.CalibrationFolder(), BaseName(ReplaceExtension(imageFile, extension)));
  }
  Log("Save bitmap topo info [%s]...", name.c_str());
  switch (ResolveExisting(name, &working_.topoPolicy, "Topo [%s] already exist.\nOverwrite it?", "Cancel writing topo")) {
    case Existing::kCancel: return false;
    case Existing::kSkip: return true;
    case Existing::kWrite: break;
  }
  const int64_t u = kWorldSize >> (z + 1);
  const int64_t cx = settings::GlobalCorrectX.Get(*link_);
  const int64_t cy = settings::GlobalCorrectY.Get(*link_);
  ImageEdges edges;
  edges.left = xStart * u - cx;
  edges.right = (xEnd + 1) * u - cx;
  edges.north = (yEnd + 1) * u + cy;
  edges.south = yStart * u + cy;
  const int width = static_cast<int>((xEnd - xStart + 1) * kPlatePixels);
  const int height = static_cast<int>((yEnd - yStart + 1) * kPlatePixels);
  if (!format->write(imageFile, name, width, height, edges)) {
    ErrorBox(Translate("Error saving topo information\nFile: %s\nError: %s"), imageFile.c_str(), ErrorText().c_str());
    return false;
  }
  return true;
}

}  // namespace tk

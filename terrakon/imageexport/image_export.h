// The export run: stitches the plates of every ticked level of a selection
// into images (one, or several of at most MaxW x MaxH plates with overlaps),
// writes them in a format of the image layer and a calibration file beside
// each. Only plates already at hand are used (memory, disk cache, storages;
// never a download); a missing plate is grey.
//
// Runs on the user-interface thread; it reports through the observer and
// lets the window breathe through the user-interface seam at most every
// 400 ms, which is when a Cancel press can stop it.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "platform/imagelib/imagelib.h"
#include "terrakon/imageexport/export_settings.h"
#include "terrakon/download/zoom_plan.h"

namespace tk {

class HStorageLink;
class PRPeriod;
class RowWriter;

struct ExportProgress {
  int level = 0;           // record index z (level z + 1)
  double levelPercent = 0; // pcCur
  int totalPercent = 0;    // pcTotal
  std::string times;       // txtTime: "start -> end Level: level end"
};

// What the export window shows; every call is on the run's thread.
class ExportObserver {
 public:
  virtual ~ExportObserver() = default;
  // Store the window's controls under their keys (first step of a run).
  virtual void SaveControls() {}
  // Options or progress page, button caption; idle texts and bars cleared.
  virtual void RunningChanged(bool /*running*/) {}
  // Repaint the list row of record z.
  virtual void LevelChanged(int /*z*/) {}
  // txtCurLoad, before each plate.
  virtual void CurrentPlate(const std::string& /*text*/) {}
  virtual void Progress(const ExportProgress& /*progress*/) {}
};

class ImageExport {
 public:
  // link: the main window's settings link (the "ImgSaveWin" keys and the
  // plate offset correction); both must outlive the export.
  ImageExport(const HStorageLink* link, ExportObserver* observer);
  ~ImageExport();
  ImageExport(const ImageExport&) = delete;
  ImageExport& operator=(const ImageExport&) = delete;

  ZoomPlan& Plan() { return plan_; }
  void BuildPlan(const PixelRect& selection, const ZoomTicks& ticks) { BuildZoomPlan(plan_, selection, ticks); }

  // On: stores the controls, reads the working settings, checks them (an
  // error box and back to idle on a fault), runs and goes idle again.
  void SetExportRunning(bool on);
  bool Running() const { return running_; }
  // The Cancel button while running: asks "Abort export images?"; yes stops
  // the run after the current plate.
  void AskAbort();
  void Stop() { running_ = false; }

  // The parts of a run, for the window and tests.
  void ExportRun();
  bool WriteExportImage(const std::string& fileName, const img::Bitmap& bitmap);
  bool WriteExportTopo(const std::string& imageFile, int64_t xStart, int64_t yStart, int64_t xEnd, int64_t yEnd,
                       int z);
  const ExportSettings& Working() const { return working_; }

  // Images above this size [bytes], or any image when the size is not
  // limited, go straight to the encoder of a format that takes rows.
  static constexpr int64_t kStreamAbove = 256ll << 20;
  static bool Streams(const ExportSettings& settings, int64_t width, int64_t height);
  // Tests: the progress period and the wall clock of the time texts.
  void SetProgressPeriod(std::chrono::milliseconds period);
  void SetClock(std::function<std::time_t()> now) { now_ = std::move(now); }

 private:
  struct Image;
  enum class Existing { kWrite, kSkip, kCancel };

  bool CheckSettings();
  bool ExportLevel(int z);
  bool ExportBitmapImage(Image& image);
  bool ExportStreamedImage(Image& image);
  bool Fetch(Image& image, int64_t px, int64_t py, uint8_t* target, std::ptrdiff_t rowStep);
  void ReportProgress(int z);
  void AddTiming(double seconds);
  std::string TimesText(int z) const;
  img::SaveParams SaveParams() const;
  Existing ResolveExisting(const std::string& path, int32_t* policy, const char* question, const char* cancelLog);
  std::string FileName(int z, int i, int j) const;
  bool SaveStreamed(const std::string& temp, const std::string& fileName);

  const HStorageLink* link_;
  ExportObserver* observer_;
  ExportObserver silent_;
  ZoomPlan plan_{};
  ExportSettings working_;
  bool running_ = false;
  img::Bitmap bitmap_;  // the one bitmap of the run
  std::unique_ptr<PRPeriod> period_;
  std::function<std::time_t()> now_;

  std::time_t start_ = 0;
  uint64_t totalAll_ = 0;
  uint64_t doneAll_ = 0;
  uint64_t levelDone_ = 0;
  std::array<double, 5> ring_{};
  unsigned ringNext_ = 0;
};

}  // namespace tk

// Area loading: every plate of a selection at every ticked zoom level into
// the disk cache, level by level from the lowest, columns outer and rows
// inner, fetched one by one on the calling (user-interface) thread. Between
// plates the user interface handles its pending input (through the
// UiServices seam), which is how "Cance&l" reaches a running run.
//
// A run stops when it is done, when the user cancels, when the failures
// reach the error limit, on a refusal by the service (403), when a whole
// level has no plate, or when no request can be prepared. Levels a run
// finished stay done for later runs of the same loader; a level a run left
// unfinished is done again from its start.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "terrakon/download/inet_options.h"
#include "terrakon/download/zoom_plan.h"

namespace tk {

// What the window shows; every call comes on the run's thread.
class AreaLoadingView {
 public:
  virtual ~AreaLoadingView() = default;
  virtual void SetLoadCaption(const std::string& /*caption*/) {}   // btnLoad: "&Load" / "Cance&l"
  virtual void SetCurrentText(const std::string& /*text*/) {}      // txtCurLoad
  virtual void SetTimeText(const std::string& /*text*/) {}         // txtTime
  virtual void SetLevelProgress(int /*percent*/) {}                // pcCur, 0 ... 100
  virtual void SetTotalProgress(int /*percent*/) {}                // pcTotal, 0 ... 100
  virtual void LevelChanged(int /*level*/) {}                      // repaint the row of level 1 ... 30
  // Shows the received file ("open" in the desktop's viewer).
  virtual void OpenReceivedFile(const std::string& /*path*/, const std::string& /*workingFolder*/) {}
};

class AreaLoader {
 public:
  explicit AreaLoader(AreaLoadingView& view) : view_(view) {}
  AreaLoader(const AreaLoader&) = delete;
  AreaLoader& operator=(const AreaLoader&) = delete;

  void BuildPlan(const PixelRect& selection, const ZoomTicks& ticks) { BuildZoomPlan(plan_, selection, ticks); }
  const ZoomPlan& plan() const { return plan_; }

  // 0: no limit; clamped to 0 ... settings::kMaxErrorsLimit. Read after
  // every plate, so a change during a run counts at once.
  void SetMaxErrors(int limit);
  int maxErrors() const { return maxErrors_; }

  // A run is going on and has not been asked to stop.
  bool loading() const { return loading_; }
  // The run's loop is still on the stack (it may have been asked to stop):
  // the window must not destroy the loader before this turns false.
  bool running() const { return running_; }

  // true: runs until one of the stop reasons (nothing while running);
  // false: asks a running run to stop after its current plate.
  void SetLoading(bool on);
  // btnLoad: while loading asks "Abort loading?" first.
  void LoadPressed();

 private:
  void Stop();
  void Run();

  AreaLoadingView& view_;
  ZoomPlan plan_{};
  int maxErrors_ = 10;
  bool loading_ = false;
  bool running_ = false;
};

// The window caption: "Images loading" and the proxy or "direct connection".
std::string AreaLoadingCaption(const InetOptions& options);

}  // namespace tk

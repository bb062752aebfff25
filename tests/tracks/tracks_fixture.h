// Set-up shared by the waypoint and track tests: the conversion engine (the
// readers resolve datum names), a settings store, a scripted user, a folder
// for files and the log.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "quadcalc/quadcalc.h"
#include "terrakon/plates/pixel_space.h"
#include "terrakon/tracks/ozi_text.h"
#include "tests/geodesy/geodesy_fixture.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace tk::testing {

class TracksTest : public ::testing::Test {
 protected:
  void SetUp() override { UseShippedEngine(); }

  // Lines joined with CR LF, as the files are written.
  static std::string Crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\r\n";
    return text;
  }
  std::string Write(const std::string& name, const std::string& content) {
    std::string path = dir_.File(name);
    WriteWholeFile(path, content);
    return path;
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : log_.Lines())
      if (l == line) return true;
    return false;
  }

  Settings settings_;
  ScriptedUi ui_;
  TempDir dir_;
  LogCapture log_;
};

// A 1000 x 800 view at 1024 units a pixel around the world's centre, for the
// coordinate math library's screen conversions.
class ViewHost {
 public:
  static constexpr int32_t kWidth = 1000, kHeight = 800;
  static constexpr int64_t kUnits = 1024;
  ViewHost() {
    ctx_.Size = sizeof(QuadcalcContext);
    ctx_.CenterX = ctx_.CenterY = kWorldSize / 2;
    ctx_.PixelUnitsX = ctx_.PixelUnitsY = kUnits;
    ctx_.PlateUnitsX = ctx_.PlateUnitsY = kUnits * 256;
    ctx_.Zoom = 20;
    ctx_.GetViewWidth = [] { return kWidth; };
    ctx_.GetViewHeight = [] { return kHeight; };
    ctx_.GetClientRect = [](int32_t* r) { r[0] = 0, r[1] = 0, r[2] = kWidth, r[3] = kHeight; };
    InitQuadcalc(&ctx_);
  }
  ~ViewHost() {
    DeleteTrackPoints();
    InitQuadcalc(nullptr);
  }
  ViewHost(const ViewHost&) = delete;
  ViewHost& operator=(const ViewHost&) = delete;

  // The pixel rectangle the view shows (X1 west, Y1 south, X2 east, Y2 north).
  static PixelRect View() {
    const int64_t c = kWorldSize / 2;
    return {c - kWidth / 2 * kUnits, c - kHeight / 2 * kUnits, c + kWidth / 2 * kUnits, c + kHeight / 2 * kUnits};
  }

 private:
  QuadcalcContext ctx_{};
};

}  // namespace tk::testing

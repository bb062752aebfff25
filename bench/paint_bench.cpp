// Painting the main window's map: a full 1920 x 1080 view with every plate in
// the memory cache at zoom offsets 0 and 3, and the repaint after a 10-pixel
// pan. Baseline: the same plate pictures drawn by bare QPainter calls.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/main_view_callbacks.h"
#include "terrakon/app/map_view.h"
#include "terrakon/config/settings_table.h"
#include "terrakon/plates/data_module.h"
#include "terrakon/plates/memory_cache.h"
#include "terrakon/plates/plate_key.h"
#include "terrakon/plates/visible_range.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kLevel = 10;

struct Scene {
  std::string folder;
  tk::TData data;
  std::unique_ptr<tk::TMainForm> form;
  std::shared_ptr<uint8_t[]> bits;
  QImage target{kWidth, kHeight, QImage::Format_RGB32};
};

Scene* g_scene = nullptr;

// One picture shared by every key keeps the cache small at offset 3.
void FillCache(Scene& s, int offset) {
  tk::CacheClear();
  tk::SetCacheLimit(20000);
  const int level = kLevel + offset;
  const tk::PlateRange r = tk::VisiblePlateRange(s.data.view, level);
  for (int64_t c = r.firstColumn - 1; c <= r.lastColumn + 1; ++c)
    for (int64_t row = r.firstRow - 1; row <= r.lastRow + 1; ++row)
      tk::CacheStore(tk::PlateRef::Image(s.bits, tk::kPlateImageBytes), tk::PlateKeyText(c, row, level));
}

void Paint(Scene& s) {
  s.form->RefreshView();
  QPainter p(&s.target);
  s.form->PaintMap(p, QRegion(0, 0, kWidth, kHeight));
}

void BM_PaintFullView(benchmark::State& state) {
  Scene& s = *g_scene;
  s.form->SetZoomOffset(static_cast<int>(state.range(0)));
  FillCache(s, static_cast<int>(state.range(0)));
  for (auto _ : state) Paint(s);
}
BENCHMARK(BM_PaintFullView)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_PaintAfterPan(benchmark::State& state) {
  Scene& s = *g_scene;
  s.form->SetZoomOffset(static_cast<int>(state.range(0)));
  FillCache(s, static_cast<int>(state.range(0)));
  int step = 10;
  for (auto _ : state) {
    s.form->SetViewCenter(s.data.view.CenterX + step * s.data.view.PixelUnitsX, s.data.view.CenterY);
    step = -step;
    Paint(s);
  }
}
BENCHMARK(BM_PaintAfterPan)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// The same grid of flipped BGR pictures drawn straight with QPainter.
void BM_BarePlateDrawing(benchmark::State& state) {
  Scene& s = *g_scene;
  const int size = 256 >> state.range(0);
  const QImage picture(s.bits.get(), 256, 256, tk::kPlateLineBytes, QImage::Format_BGR888);
  for (auto _ : state) {
    QPainter p(&s.target);
    for (int x = -size / 2; x < kWidth; x += size)
      for (int y = -size / 2; y < kHeight; y += size) {
        const double scale = size / 256.0;
        p.setTransform(QTransform(scale, 0, 0, -scale, x, y + size));
        p.drawImage(0, 0, picture);
      }
  }
}
BENCHMARK(BM_BarePlateDrawing)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  char folder[] = "/tmp/tk_paint_bench_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string cfg = std::string("-CFG=") + folder + "/Terrakon.hcfg";
  const std::string log = std::string("-LOG=") + folder + "/Terrakon.log";
  const char* args[] = {"paint_bench", cfg.c_str(), log.c_str()};
  tk::SetCommandLine(3, args);
  {
    Scene scene;
    scene.folder = folder;
    if (!scene.data.Create(tk::MainViewCallbacks(), nullptr)) return 1;
    scene.form = std::make_unique<tk::TMainForm>(scene.data);
    const tk::HStorageLink& link = scene.form->settings();
    tk::settings::AskCache.Set(link, false);
    tk::settings::UseInet.Set(link, false);
    tk::settings::UseCache.Set(link, false);
    scene.form->LoadSettings();
    scene.form->show();
    scene.form->paintBox()->setFixedSize(kWidth, kHeight);
    QApplication::processEvents();
    scene.form->SetZoom(kLevel);
    scene.bits.reset(new uint8_t[tk::kPlateImageBytes]);
    for (uint32_t i = 0; i < tk::kPlateImageBytes; ++i) scene.bits[i] = static_cast<uint8_t>(i * 7 + i / 768);
    g_scene = &scene;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scene = nullptr;
  }
  std::system((std::string("rm -rf ") + folder).c_str());
  return 0;
}

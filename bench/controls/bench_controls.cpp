// Repaint cost of the main window: all its controls, 880 x 600, offscreen
// with the build's drawing backend through the host's back buffer. Goal:
// under 8 ms median.
#include <benchmark/benchmark.h>

#include "controls/control_host.h"
#include "controls/main_window_scene.h"
#include "controls/offscreen_canvas.h"

namespace {

using kestrune::ControlHost;
using kestrune::Rect;

void BM_FullRepaint(benchmark::State& state) {
  kestrune::testing::MainWindowScene scene;
  ControlHost host(scene.root);
  kestrune::OffscreenCanvas window(880, 600);
  host.Paint(window.GetCanvas());  // warm the text layout cache and the back buffer
  for (auto _ : state) {
    host.InvalidateRect({0, 0, 880, 600});
    host.Paint(window.GetCanvas());
    window.GetCanvas().Flush();
  }
}
BENCHMARK(BM_FullRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The first paint after start, with no layouts cached yet.
void BM_FirstPaint(benchmark::State& state) {
  for (auto _ : state) {
    kestrune::testing::MainWindowScene scene;
    ControlHost host(scene.root);
    kestrune::OffscreenCanvas window(880, 600);
    host.Paint(window.GetCanvas());
  }
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

// Hovering one button: only its rectangle is repainted.
void BM_HoverRepaint(benchmark::State& state) {
  kestrune::testing::MainWindowScene scene;
  ControlHost host(scene.root);
  kestrune::OffscreenCanvas window(880, 600);
  host.Paint(window.GetCanvas());
  bool inside = false;
  for (auto _ : state) {
    inside = !inside;
    host.PointerMove(inside ? 600 : 10, inside ? 530 : 590, 0);  // BtnApply
    host.Paint(window.GetCanvas());
  }
}
BENCHMARK(BM_HoverRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// Goals on the headless backend: a baserate event (handler, computation and
// chart) under 200 us; a mouse-move pass (both cable sketches) under 10 us.
//   build/<dir>/bench/app/ferrant_app_bench
#include <benchmark/benchmark.h>

#include <string>

#include "app/app.h"
#include "app/window_layout.h"
#include "chart/psd.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace {

// The program started up and idle, for the length of one benchmark.
class IdleProgram {
 public:
  IdleProgram() {
    ok_ = tk::init_toolkit() && app::start_up(state_);
    if (ok_) {
      app::begin_pass(state_);
      settle();
    }
  }
  ~IdleProgram() { tk::close_toolkit(); }
  IdleProgram(const IdleProgram&) = delete;
  IdleProgram& operator=(const IdleProgram&) = delete;

  bool ok() const { return ok_; }
  app::ProgramState& state() { return state_; }

  void settle() {
    while (tk::headless::has_pending()) {
      if (!app::finish_pass(state_, tk::wait_event())) return;
      app::begin_pass(state_);
    }
  }

 private:
  app::ProgramState state_;
  bool ok_ = false;
};

// The work of one gadget event of the baserate field: its handler (with the
// chart) and the computation of both panels. The argument is the baserate;
// 110 to 119 trace the most curves.
void BM_BaserateEvent(benchmark::State& bench) {
  IdleProgram program;
  if (!program.ok()) {
    bench.SkipWithError("cannot start the program");
    return;
  }
  tk::set_gadget_text(app::kBaserateField, std::to_string(bench.range(0)));
  for (auto _ : bench) {
    app::handle_gadget_event(program.state(), app::kBaserateField);
    app::compute_results(program.state());
  }
  benchmark::DoNotOptimize(program.state().distance_m);
}
BENCHMARK(BM_BaserateEvent)->Arg(0)->Arg(10)->Arg(110)->Arg(238)->Unit(benchmark::kMicrosecond);

// Where the time of a baserate event goes: the chart's arithmetic alone ...
void BM_ChartCurveMath(benchmark::State& bench) {
  const auto line_rate = static_cast<float>(bench.range(0) * 64);
  const int scale = chart::chart_scale(line_rate);
  for (auto _ : bench) {
    for (const chart::Constellation& c : chart::kConstellations) {
      if (!chart::is_traced(c, line_rate)) continue;
      benchmark::DoNotOptimize(chart::trace_segments(line_rate, c.bits_per_symbol, scale));
    }
  }
}
BENCHMARK(BM_ChartCurveMath)->Arg(10)->Arg(110)->Unit(benchmark::kMicrosecond);

// ... and the backend's fill of the chart panel (385 x 285 pixels).
void BM_ChartPanelFill(benchmark::State& bench) {
  IdleProgram program;
  if (!program.ok()) {
    bench.SkipWithError("cannot start the program");
    return;
  }
  for (auto _ : bench) {
    tk::begin_window_drawing(app::kMainWindow);
    tk::draw_box(chart::kPanelX, chart::kPanelY, chart::kPanelWidth, chart::kPanelHeight,
                 chart::kPanelColour);
    tk::end_drawing();
  }
}
BENCHMARK(BM_ChartPanelFill)->Unit(benchmark::kMicrosecond);

// The same event as the user makes it: paste a baserate into the focused
// field, then every pass until the program is idle again.
void BM_BaserateEventFromPaste(benchmark::State& bench) {
  IdleProgram program;
  if (!program.ok()) {
    bench.SkipWithError("cannot start the program");
    return;
  }
  tk::headless::focus(app::kBaserateField);
  program.settle();
  const std::string texts[] = {"110", "119"};
  int next = 0;
  for (auto _ : bench) {
    tk::headless::select_all(app::kBaserateField);
    tk::headless::paste(texts[next]);
    next ^= 1;
    program.settle();
  }
}
BENCHMARK(BM_BaserateEventFromPaste)->Unit(benchmark::kMicrosecond);

// One pass for a mouse movement: the wait, the ignored event, both sketches
// with their labels.
void BM_MouseMovePass(benchmark::State& bench) {
  IdleProgram program;
  if (!program.ok()) {
    bench.SkipWithError("cannot start the program");
    return;
  }
  app::ProgramState& state = program.state();
  for (auto _ : bench) {
    tk::headless::move_mouse(1);
    app::finish_pass(state, tk::wait_event());
    app::begin_pass(state);
    if (state.pass_count == app::kChartRefreshPasses - 1) state.pass_count = 0;  // no periodic chart
  }
}
BENCHMARK(BM_MouseMovePass)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

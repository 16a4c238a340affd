// One recomputation of the window's results: panel 1 plus a full panel-2
// scan at limit 238. Goal: under 1 microsecond per call.
#include <benchmark/benchmark.h>

#include "model/reach.h"

namespace {

void BM_Panel1AndFullScan(benchmark::State& state) {
  const auto& cable = model::kCableCatalogue[0];
  int baserate = 0;
  float distance = 0;
  for (auto _ : state) {
    const auto panel1 = model::compute_panel1(baserate, cable.reach_factor, cable.rate_coef);
    const int possible = model::scan_possible_baserate(distance, cable.reach_factor, cable.rate_coef,
                                                       model::kMaxBaserate);
    benchmark::DoNotOptimize(panel1);
    benchmark::DoNotOptimize(possible);
    baserate = baserate == model::kMaxBaserate ? 0 : baserate + 1;
    distance = distance >= 9000 ? 0 : distance + 37;
  }
}
BENCHMARK(BM_Panel1AndFullScan);

}  // namespace

BENCHMARK_MAIN();

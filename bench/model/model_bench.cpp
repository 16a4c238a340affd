// One recomputation of the window's results: panel 1 plus a full panel-2
// scan at limit 238. Goal: under 1 microsecond per call.
// One mixed-cable loop of 16 sections, Pellion and Ferrant limits. Goal: at
// least 200,000 loops a second (items_per_second).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "model/loop.h"
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

using Loop16 = std::array<model::LoopSection, model::kMaxLoopSections>;

// Loops of about 0.5 to 16 km in 16 sections on random cables: their answers
// spread over the whole baserate range, a quarter of them 0.
std::vector<Loop16> mixed_loops() {
  std::mt19937 random(16);
  std::vector<Loop16> loops(256);
  for (auto& loop : loops) {
    const std::int64_t total_m = 500 + static_cast<std::int64_t>(random() % 15500);
    for (auto& section : loop) {
      section = {random() % model::kCableCatalogue.size(),
                 static_cast<std::int64_t>(random() % static_cast<unsigned>(total_m / 8 + 1))};
    }
  }
  return loops;
}

void BM_Loop16Sections(benchmark::State& state) {
  const int limit = static_cast<int>(state.range(0));
  const std::vector<Loop16> loops = mixed_loops();
  std::size_t next = 0;
  for (auto _ : state) {
    const model::LoopAnswer answer = model::compute_loop(loops[next], limit);
    benchmark::DoNotOptimize(answer);
    next = next + 1 == loops.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Loop16Sections)->Arg(model::kPellionMaxBaserate)->Arg(model::kMaxBaserate);

}  // namespace

BENCHMARK_MAIN();

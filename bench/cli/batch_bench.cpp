// ferrant-reach batch over a generated 1,000,000-row CSV, in memory.
// Goal: at least 2 million rows per second (items_per_second).
#include <benchmark/benchmark.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "cli/batch.h"
#include "model/reach.h"

namespace {

constexpr int kRows = 1'000'000;

// Realistic rows: a link name, a distance, a diameter and a model (some empty).
const std::string& generated_input() {
  static const std::string input = [] {
    std::string text = "link,distance_m,diameter,model\n";
    const char* models[] = {"", "Pellion", "Ferrant_II", "ferrant_iii", "Ferrant_IV"};
    for (int row = 0; row < kRows; ++row) {
      text += "L";
      text += std::to_string(row);
      text += ',';
      text += std::to_string((std::int64_t{row} * 7919) % (model::kMaxDistanceM + 1));
      text += ',';
      text += model::kCableCatalogue[static_cast<std::size_t>(row) % model::kCableCatalogue.size()].box_item;
      text += ',';
      text += models[row % 5];
      text += '\n';
    }
    return text;
  }();
  return input;
}

// Reads the generated text in place, without copying it for every run.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(const std::string& text) {
    char* begin = const_cast<char*>(text.data());  // only ever read
    setg(begin, begin, begin + text.size());
  }
};

// Counts and discards what is written.
class DiscardBuffer : public std::streambuf {
 public:
  std::size_t bytes = 0;

 protected:
  int_type overflow(int_type c) override {
    ++bytes;
    return c;
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    bytes += static_cast<std::size_t>(n);
    return n;
  }
};

void run_batch_bench(benchmark::State& state, cli::Format format) {
  const std::string& input = generated_input();
  for (auto _ : state) {
    MemoryBuffer memory(input);
    std::istream in(&memory);
    DiscardBuffer discard;
    std::ostream out(&discard);
    std::ostringstream err;
    const int exit_code = cli::run_batch(in, out, err, format);
    if (exit_code != 0) state.SkipWithError("batch reported bad rows");
    benchmark::DoNotOptimize(discard.bytes);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_BatchCsv(benchmark::State& state) { run_batch_bench(state, cli::Format::kCsv); }
void BM_BatchJson(benchmark::State& state) { run_batch_bench(state, cli::Format::kJson); }
BENCHMARK(BM_BatchCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchJson)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

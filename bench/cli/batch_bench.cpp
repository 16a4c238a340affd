// ferrant-reach batch over generated 1,000,000-row CSV files, in memory.
// Goals (items_per_second): at least 5 million rows a second with distances
// in UTF-8, at least 1 million with sections; semicolons as fast as commas.
// The same rows saved as UTF-16 and as Windows-1252 give their figures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <sstream>
#include <streambuf>
#include <string>

#include "cli/batch.h"
#include "model/reach.h"

namespace {

constexpr int kRows = 1'000'000;

// Realistic rows: a link name, a distance, a diameter and a model (some
// empty), separated by the delimiter; with a semicolon, diameters are
// written with a decimal comma as such spreadsheets write them.
std::string generate_distance_rows(char delimiter) {
  const char* models[] = {"", "Pellion", "Ferrant_II", "ferrant_iii", "Ferrant_IV"};
  std::string text = "link,distance_m,diameter,model\n";
  std::replace(text.begin(), text.end(), ',', delimiter);
  for (int row = 0; row < kRows; ++row) {
    text += row % 10 == 0 ? "S\xC3\xBC" "d" : "L";  // some names are not ASCII
    text += std::to_string(row);
    text += delimiter;
    text += std::to_string((std::int64_t{row} * 7919) % (model::kMaxDistanceM + 1));
    text += delimiter;
    std::string diameter(model::kCableCatalogue[static_cast<std::size_t>(row) % model::kCableCatalogue.size()].box_item);
    if (delimiter == ';') diameter[1] = ',';
    text += diameter;
    text += delimiter;
    text += models[row % 5];
    text += '\n';
  }
  return text;
}

// Loops of one to four sections of mixed cables, up to 8 km.
std::string generate_section_rows() {
  std::string text = "link,sections,model\n";
  for (int row = 0; row < kRows; ++row) {
    text += "L";
    text += std::to_string(row);
    text += ',';
    const int sections = 1 + row % 4;
    for (int i = 0; i < sections; ++i) {
      if (i > 0) text += ' ';
      text += model::kCableCatalogue[static_cast<std::size_t>(row + 3 * i) % model::kCableCatalogue.size()].box_item;
      text += ':';
      text += std::to_string((std::int64_t{row} * 7919 + i * 1237) % 2000);
    }
    text += row % 3 == 0 ? ",Pellion\n" : ",\n";
  }
  return text;
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

// The generated UTF-8 text (ASCII and one "\xC3\xBC") as UTF-16LE with its
// mark, or as Windows-1252.
std::string as_utf16(const std::string& utf8) {
  std::string text = "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const bool u_umlaut = utf8[i] == '\xC3';
    text += u_umlaut ? '\xFC' : utf8[i];
    text += '\0';
    i += u_umlaut ? 1 : 0;
  }
  return text;
}
std::string as_cp1252(const std::string& utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const bool u_umlaut = utf8[i] == '\xC3';
    text += u_umlaut ? '\xFC' : utf8[i];
    i += u_umlaut ? 1 : 0;
  }
  return text;
}

void run_batch_bench(benchmark::State& state, const std::string& input, cli::Format format,
                     cli::Encoding unmarked = cli::Encoding::kUtf8) {
  for (auto _ : state) {
    MemoryBuffer memory(input);
    std::istream in(&memory);
    DiscardBuffer discard;
    std::ostream out(&discard);
    std::ostringstream err;
    cli::BatchOptions options;
    options.format = format;
    options.unmarked = unmarked;
    const int exit_code = cli::run_batch(in, out, err, options);
    if (exit_code != 0) state.SkipWithError("batch reported bad rows");
    benchmark::DoNotOptimize(discard.bytes);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_BatchCsv(benchmark::State& state) {
  static const std::string input = generate_distance_rows(',');
  run_batch_bench(state, input, cli::Format::kCsv);
}
void BM_BatchJson(benchmark::State& state) {
  static const std::string input = generate_distance_rows(',');
  run_batch_bench(state, input, cli::Format::kJson);
}
void BM_BatchSemicolons(benchmark::State& state) {
  static const std::string input = generate_distance_rows(';');
  run_batch_bench(state, input, cli::Format::kCsv);
}
void BM_BatchSections(benchmark::State& state) {
  static const std::string input = generate_section_rows();
  run_batch_bench(state, input, cli::Format::kCsv);
}
void BM_BatchUtf16(benchmark::State& state) {
  static const std::string input = as_utf16(generate_distance_rows(','));
  run_batch_bench(state, input, cli::Format::kCsv);
}
void BM_BatchCp1252(benchmark::State& state) {
  static const std::string input = as_cp1252(generate_distance_rows(','));
  run_batch_bench(state, input, cli::Format::kCsv, cli::Encoding::kCp1252);
}
BENCHMARK(BM_BatchCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchUtf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCp1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchSemicolons)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchSections)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

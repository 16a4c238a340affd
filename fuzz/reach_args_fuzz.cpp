// ferrant-reach's command line on arbitrary arguments. The input is split at
// its first 0xFF byte: before it the arguments, separated by NUL bytes;
// after it what the batch subcommand reads from standard input. Whatever the
// arguments, the tool must answer with exit code 0, 1 or 2 (3, a failed
// write, cannot happen into a string), a usage error must print a reason on
// standard error and nothing else, only batch may find bad rows (and says
// so on standard error), and the PSD picture must be a whole SVG document.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/reach_cli.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kMaxArguments = 16;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

bool has(const std::vector<std::string_view>& args, std::string_view arg) {
  return std::ranges::find(args, arg) != args.end();
}

// Whether the arguments ask for the SVG picture: --format svg or
// --format=svg, in any case.
bool asks_for_svg(const std::vector<std::string_view>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format" && i + 1 < args.size() && equal_ignoring_case(args[i + 1], "svg")) return true;
    if (args[i].starts_with("--format=") && equal_ignoring_case(args[i].substr(9), "svg")) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\xFF');
  std::string_view arguments = bytes.substr(0, split);
  const std::string_view input = split == std::string_view::npos ? std::string_view{} : bytes.substr(split + 1);

  std::vector<std::string_view> args;
  while (!arguments.empty() && args.size() < kMaxArguments) {
    const std::size_t end = arguments.find('\0');
    args.push_back(arguments.substr(0, end));
    arguments.remove_prefix(end == std::string_view::npos ? arguments.size() : end + 1);
  }
  // batch reads a FILE argument from the file system; a path could name a
  // device that never ends (/dev/zero) or waits (/dev/stdin). Names without
  // a slash are left: in the working folder they are ordinary files, or none.
  if (std::ranges::any_of(args, [](std::string_view arg) { return arg.find('/') != std::string_view::npos; })) {
    return 0;
  }

  std::istringstream in{std::string(input)};
  std::ostringstream out, err;
  const int code = cli::run_reach(args, in, out, err);
  fuzz::check(code == 0 || code == 1 || code == 2, "exit code 0, 1 or 2", std::to_string(code));
  if (code == 2) {
    fuzz::check(!err.str().empty(), "a usage error says why");
    // (batch writes nothing before it has read a usable header, and stops
    // at text that is not in its encoding, saying so when rows had gone out)
    fuzz::check(out.str().empty() || err.str().ends_with("; the rows before it were written\n"),
                "a usage error prints no answer");
    return 0;
  }
  const bool batch = has(args, "batch");
  if (code == 0) fuzz::check(err.str().empty(), "an answer has no message on standard error");
  if (code == 1) {
    fuzz::check(batch && !out.str().empty(), "only batch has bad rows, and writes them");
    fuzz::check(err.str().starts_with("ferrant-reach batch: ") && err.str().find("the first on line ") != std::string::npos,
                "bad rows are counted on standard error");
  }
  // (batch in JSON prints nothing for a file without rows)
  if (!batch) fuzz::check(!out.str().empty(), "an answer is printed");

  const bool help = has(args, "--help") || has(args, "-h") || has(args, "--version");
  if (asks_for_svg(args) && !help) {
    const std::string& svg = out.str();
    fuzz::check(svg.starts_with("<?xml") && svg.ends_with("</svg>\n"), "the PSD picture is a whole SVG document");
  }
  return 0;
}

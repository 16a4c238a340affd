// ferrant-reach's command line on arbitrary arguments. The input is split at
// its first 0xFF byte: before it the arguments, separated by NUL bytes;
// after it what the batch subcommand reads from standard input. Whatever the
// arguments, the tool must answer with exit code 0, 1 or 2, and a usage
// error must print a reason on standard error.
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

  std::istringstream in{std::string(input)};
  std::ostringstream out, err;
  const int code = cli::run_reach(args, in, out, err);
  fuzz::check(code == 0 || code == 1 || code == 2, "exit code 0, 1 or 2", std::to_string(code));
  if (code == 2) {
    fuzz::check(!err.str().empty(), "a usage error says why");
  }
  // (batch in JSON prints nothing for a file without rows)
  if (code == 0 && args[0] != "batch") fuzz::check(!out.str().empty(), "an answer is printed");
  return 0;
}

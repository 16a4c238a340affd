#include "app/command_line.h"

namespace app {
namespace {

constexpr int kExitUsage = 2;

bool is_option(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "--version";
}

constexpr std::string_view kHelp = R"(Usage: ferrant-calc [--help | --version]

Opens the window "Ferrant Transmission Calculation": how far a DSL link over a
copper pair reaches for a baserate and a conductor diameter, and which
baserate still reaches a distance for a modem model, with the cable data, the
loop resistance and the transmit PSD chart.

The logo Varnek.bmp is read from the working directory, else from the
installed data folder (<prefix>/share/ferrant-calc), else from the program's
own folder.

Options:
  --help     print this text and exit
  --version  print the version and exit

ferrant-reach gives the same answers on the command line.
)";

}  // namespace

CommandLine read_command_line(std::span<const std::string_view> arguments) {
  CommandLine result;
  if (arguments.empty()) return result;
  result.open_window = false;
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    result.output = kHelp;
  } else if (arguments.size() == 1 && arguments[0] == "--version") {
    result.output = "ferrant-calc " FERRANT_VERSION "\n";
  } else {
    const std::string_view odd = is_option(arguments[0]) ? arguments[1] : arguments[0];
    result.exit_code = kExitUsage;
    result.error = "ferrant-calc: unexpected argument \"" + std::string(odd) +
                   "\"; accepted: --help or --version, alone\n";
  }
  return result;
}

}  // namespace app

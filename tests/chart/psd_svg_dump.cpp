// Writes the chart's SVG picture for every baserate, 0 to 238, into the
// folder given (psd_<baserate>.svg), for xmllint and for looking at.
#include <cstdio>
#include <fstream>
#include <string>

#include "chart/psd_svg.h"
#include "model/reach.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: psd_svg_dump FOLDER\n", stderr);
    return 2;
  }
  for (int baserate = 0; baserate <= 238; ++baserate) {
    const std::string path = std::string(argv[1]) + "/psd_" + std::to_string(baserate) + ".svg";
    std::ofstream file(path, std::ios::binary);
    file << chart::psd_chart_svg(static_cast<float>(baserate * model::kKbpsPerBaserate));
    if (!file.flush()) {
      std::fprintf(stderr, "psd_svg_dump: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

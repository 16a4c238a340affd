#include "cli/psd_output.h"

#include <cstdint>

#include "chart/psd.h"
#include "cli/output.h"
#include "model/reach.h"

namespace cli {
namespace {

constexpr int kDecimals = 2;

chart::PsdTable table_for(int baserate) {
  return chart::psd_table(static_cast<float>(baserate * model::kKbpsPerBaserate));
}

}  // namespace

void append_psd_csv(std::string& out, int baserate) {
  const chart::PsdTable table = table_for(baserate);
  out += "frequency_khz";
  for (const chart::PsdCurve& curve : table.curves) {
    out += ',';
    append_csv_field(out, curve.constellation->legend);
  }
  out += '\n';
  for (std::size_t row = 0; row < table.frequencies_khz.size(); ++row) {
    append_int(out, table.frequencies_khz[row]);
    for (const chart::PsdCurve& curve : table.curves) {
      out += ',';
      append_fixed(out, curve.dbm_per_hz[row], kDecimals);
    }
    out += '\n';
  }
}

void append_psd_json(std::string& out, int baserate) {
  const chart::PsdTable table = table_for(baserate);
  for (std::size_t row = 0; row < table.frequencies_khz.size(); ++row) {
    out += "{\"frequency_khz\":";
    append_int(out, table.frequencies_khz[row]);
    for (const chart::PsdCurve& curve : table.curves) {
      out += ',';
      append_json_string(out, curve.constellation->legend);
      out += ':';
      append_fixed(out, curve.dbm_per_hz[row], kDecimals);
    }
    out += "}\n";
  }
}

}  // namespace cli

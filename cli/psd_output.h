// The values of the window's PSD chart for `ferrant-reach psd`: the PSD in
// dBm/Hz of every constellation the chart traces at a baserate, at the
// frequencies it plots (10 kHz steps from 10 kHz up to 750, 1500 or 3000 kHz
// by the chart's scale; see chart::psd_table).
//
// CSV: the header `frequency_khz` and one column per traced constellation,
// named by its legend (`PAM-8`, ...), in legend order; one row a frequency.
// JSON: one object a line, `{"frequency_khz":10,"PAM-8":-41.23,...}`.
// PSD values have two decimals, rounded half to even from the double and
// written from integers (append_fixed), so the same on every platform;
// frequencies are whole kHz.
//
// Baserate 0 (line rate 0) traces no constellation, yet the chart still
// shows its frequency axis: the output is the frequency column alone, one
// row a frequency of that axis, so a reader needs no special case.
#pragma once

#include <string>

namespace cli {

// baserate 0..238, the line rate baserate x 64 kbit/s.
void append_psd_csv(std::string& out, int baserate);
void append_psd_json(std::string& out, int baserate);

}  // namespace cli

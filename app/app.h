// The program: start-up, the event loop split into passes, the gadget
// handlers, and the procedures that turn the state into label texts and
// drawings. Everything goes through the toolkit interface; the executable
// that links this library picks the backend.
//
// A pass of the loop is begin_pass (count, the periodic chart, both cable
// sketches), one wait_event, then finish_pass (menu, gadget handler and
// computation, close request). run_event_loop repeats that until the program
// is to end; a test or a replay driver can run the same passes one by one.
#pragma once

#include <string>
#include <string_view>

#include "app/state.h"

namespace app {

// Every how many passes the chart is redrawn without a baserate event.
inline constexpr int kChartRefreshPasses = 100;

enum class Panel { One, Two };

// Builds the window, its menu and gadgets, sets the initial texts and state
// and draws the first picture, then enters the page address's inputs
// (app/address.h). The toolkit must be initialised. The logo is
// looked for in the working directory, then, when `program_folder` is given,
// in the installed data folder and the program's folder (logo_paths).
// Returns false when the main window cannot be opened (tk::last_error() says
// why); the state is then set up but nothing is shown.
bool start_up(ProgramState& state, std::string_view program_folder = {});

// Steps before the wait: count the pass, redraw the chart every 100th pass,
// draw both loop-resistance displays.
void begin_pass(ProgramState& state);
// Steps after the wait for `event`: the home page, the gadget handler, the
// computation and the address following the inputs, the close request. Returns false once the loop is to end.
bool finish_pass(ProgramState& state, int event);
// Passes until a close request.
void run_event_loop(ProgramState& state);
// Releases the logo, the window and the toolkit.
void end_program();

// Gadget handlers (any event of the gadget runs its whole handler).
void on_baserate_input(ProgramState& state);
void on_distance_input(ProgramState& state);
void on_model_choice(ProgramState& state);
// Runs the handler of a gadget number (nothing for numbers without one).
void handle_gadget_event(ProgramState& state, int gadget);

// Applies the cable catalogue entry selected in the panel's diameter box.
void apply_cable_entry(ProgramState& state, Panel panel);
// Both panels' answers into the state and the six result labels.
void compute_results(ProgramState& state);
// Resistance labels and cable sketch of panel 1 / panel 2.
void show_loop_resistance_1(const ProgramState& state);
void show_loop_resistance_2(const ProgramState& state);

// "<baserate x 64>kbit/s", the product in 64 bits.
std::string line_speed_text(std::int64_t baserate);

// Both panels' inputs and answers as the command line's `distance` and
// `baserate` print them, a blank line between: what "Copy results" copies.
std::string results_text(const ProgramState& state);

// Writes a label's text only when it differs from what the label shows, so
// that the per-pass rewrites do not make a real window flicker.
void write_label(int number, std::string_view text);

}  // namespace app

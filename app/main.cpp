// The program's entry point: read the command line (--help, --version), then
// prepare the toolkit, start up, run the event loop until the window is
// closed or "Quit" is pressed, and end.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "app/command_line.h"
#include "app/program_files.h"
#include "toolkit/toolkit.h"

namespace {

// Closes the toolkit on every way out once it has been initialised.
class ToolkitSession {
 public:
  ToolkitSession() = default;
  ToolkitSession(const ToolkitSession&) = delete;
  ToolkitSession& operator=(const ToolkitSession&) = delete;
  ~ToolkitSession() { app::end_program(); }
};

int report_no_window() {
  std::fputs(("cannot open the window: " + tk::last_error() + "\n").c_str(), stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const app::CommandLine command_line = app::read_command_line(arguments);
  if (!command_line.open_window) {
    std::fputs(command_line.output.c_str(), stdout);
    std::fputs(command_line.error.c_str(), stderr);
    // A help text that could not be written is a failure too.
    if (std::fflush(stdout) != 0 && command_line.exit_code == 0) return 1;
    return command_line.exit_code;
  }

  if (!tk::init_toolkit()) return report_no_window();
  const ToolkitSession session;
  app::ProgramState state;
  if (!app::start_up(state, app::program_folder())) return report_no_window();
  app::run_event_loop(state);
  return 0;
}

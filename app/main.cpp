// The program's entry point: prepare the toolkit, start up, run the event
// loop until the window is closed or "Quit" is pressed, and end.
#include <cstdio>
#include <string>

#include "app/app.h"
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
  std::fprintf(stderr, "cannot open the window: %s\n", tk::last_error().c_str());
  return 1;
}

}  // namespace

int main() {
  if (!tk::init_toolkit()) return report_no_window();
  const ToolkitSession session;
  app::ProgramState state;
  if (!app::start_up(state)) return report_no_window();
  app::run_event_loop(state);
  return 0;
}

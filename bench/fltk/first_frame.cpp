// bench_fltk_first_frame LAUNCH_NS: the program's own start-up on the FLTK
// backend up to its first complete frame: start-up, the passes until the
// window has been exposed, everything drawn and on the server. Prints the
// milliseconds since LAUNCH_NS (CLOCK_REALTIME, taken just before the exec).
#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const long long launch = std::atoll(argv[1]);
  if (!tk::init_toolkit()) return 1;
  app::ProgramState state;
  if (!app::start_up(state)) return 1;
  app::begin_pass(state);
  for (bool exposed = false; !exposed;) {
    const int event = tk::wait_event();
    exposed = event == tk::kEventRepaint;
    app::finish_pass(state, event);
    app::begin_pass(state);
  }
  Fl::flush();
  XSync(fl_display, False);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::printf("%.2f\n", static_cast<double>(now.tv_sec * 1'000'000'000LL + now.tv_nsec - launch) / 1e6);
  app::end_program();
  return 0;
}

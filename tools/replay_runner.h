// Runs the program on the headless backend and plays script commands on it
// as a user would, pass by pass, and describes what the window shows as one
// JSON line.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/state.h"
#include "tools/replay_script.h"

namespace replay {

class Session {
 public:
  // Prepares the toolkit and runs start-up up to the first idle wait.
  // False, with a reason in error(), when the program cannot start.
  bool start();
  // Closes the toolkit (the program's end is deferred to here so that the
  // window can still be dumped after the program has quit).
  ~Session();

  // Plays one command. Actions once the program has ended are skipped;
  // dump and png still work. `out` receives dump lines. Returns false when
  // a png could not be written (the reason is in error()).
  bool play(const Command& command, std::ostream& out);

  // {"running": ..., "exit_code": ..., "passes": ..., "gadgets": {...},
  //  "urls": [...], "state": {...}}
  std::string dump_json() const;
  bool save_png(const std::string& path);
  // The display scale pictures are saved at (96 is 100 %).
  void set_picture_dpi(int dpi) { picture_dpi_ = dpi; }

  // Runs passes while the window has messages or events pending (after a
  // test's own driver calls).
  void settle();

  bool running() const { return running_; }
  std::int64_t passes() const { return passes_; }
  const app::ProgramState& state() const { return state_; }
  const std::string& error() const { return error_; }

 private:
  int picture_dpi_ = 96;
  // Focuses a gadget and selects its text; false if it did not take the focus.
  bool focus_and_select(int gadget);

  app::ProgramState state_;
  bool started_ = false;
  bool running_ = false;
  std::optional<int> exit_code_;
  std::int64_t passes_ = 0;
  std::string error_;
};

// JSON helpers, exposed for tests.
std::string json_string(std::string_view utf8);  // quoted; invalid UTF-8 becomes U+FFFD
std::string json_float(float value);             // shortest text that reads back as the float

}  // namespace replay

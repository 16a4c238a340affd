// The ferrant-replay script parser on arbitrary text, and what a parsed
// script does to the program: a script that parses is played on the headless
// backend (without its png commands, its moves capped), and the program must
// keep its state in range whatever the actions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "model/reach.h"
#include "toolkit/headless/driver.h"
#include "tools/replay_runner.h"
#include "tools/replay_script.h"

namespace {

// Bounds that keep one input fast; the parser itself sees all of it.
constexpr std::size_t kMaxPlayedCommands = 64;
constexpr std::int64_t kMaxPlayedMoves = 300;

void check_script(std::string_view text, const replay::Script& script) {
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  int previous_line = 0;
  for (const replay::Command& command : script.commands) {
    fuzz::check(command.line > previous_line && command.line <= lines, "command line numbers");
    previous_line = command.line;
    fuzz::check(!replay::action_name(command.action).empty(), "every action has a name");
    if (command.action == replay::Action::Move) {
      fuzz::check(command.number >= 0 && command.number <= replay::kMaxMoves, "move count bounded");
    }
  }
  if (script.error) {
    fuzz::check(script.error->line > previous_line && script.error->line <= lines,
                "error line number", std::to_string(script.error->line));
    fuzz::check(!script.error->message.empty(), "an error says what was wrong");
  }
}

void play_script(const replay::Script& script) {
  replay::Session session;
  if (!session.start()) fuzz::fail("start-up", session.error());
  std::ostringstream out;
  std::size_t played = 0;
  for (replay::Command command : script.commands) {
    if (command.action == replay::Action::Png) continue;
    if (++played > kMaxPlayedCommands) break;
    if (command.action == replay::Action::Move) {
      command.number = std::min(command.number, kMaxPlayedMoves);
    }
    fuzz::check(session.play(command, out), "a command plays");
    const app::ProgramState& state = session.state();
    fuzz::check(state.baserate >= 0 && state.baserate <= model::kMaxBaserate, "baserate in 0..238",
                std::to_string(state.baserate));
    fuzz::check(state.target_distance_m >= 0 && state.target_distance_m <= model::kMaxDistanceM,
                "target distance in 0..30000", std::to_string(state.target_distance_m));
    fuzz::check(state.pass_count >= 0 && state.pass_count < 100, "pass count below 100");
  }
}

}  // namespace

// Nothing here reads pixels: the program runs on a window without a canvas.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  tk::headless::set_painting(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const replay::Script script = replay::parse_script(text);
  check_script(text, script);
  if (!script.error) play_script(script);
  return 0;
}

// ferrant-replay: runs the reach calculator on the headless toolkit and plays
// a script of user actions on it, printing what the window shows as JSON.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "toolkit/common/display_scale.h"
#include "tools/replay_runner.h"
#include "tools/replay_script.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kHelp = R"(usage: ferrant-replay [--png FILE] [--scale FACTOR] [SCRIPT]

Runs the reach calculator "Ferrant Transmission Calculation" on the headless
window toolkit (no display needed) and plays a script of user actions on it,
one action per line, from SCRIPT or, without SCRIPT or with "-", from
standard input. The whole script is read and checked before anything runs.

Options:
  --png FILE   save the window's client area (700 x 680) as a PNG file
               when the script has ended, as it was then
  --scale FACTOR
               save pictures as a screen at this display scale shows the
               window: 1 (the default) to 3, such as 1.5 or 2
  --help       print this text and exit

Actions (G is a gadget number, N and INDEX whole numbers):
  type G TEXT    give G the focus, select its whole text, type TEXT key by
                 key (the first key replaces the selection; the digits-only
                 fields refuse other typed characters)
  paste G TEXT   give G the focus, select its whole text, paste TEXT
                 (pasting is not filtered)
  clear G        give G the focus, select its whole text, delete it
  pick G INDEX   open combo box G, choose item INDEX (from 0), close it
  openclose G    open and close combo box G without a pick
  click G        left click on G (button, image view, any gadget)
  focus G        give G the keyboard focus
  tab, backtab   move the focus forwards / backwards (Tab, Shift+Tab)
  menu N         choose menu item N (0 "Homepage", 3 "Version 1.0")
  move N         move the mouse over the window N times (0 to 1000000)
  repaint        the system repaints the window
  close          click the window's close box
  dump           print the window and program state as one JSON line
  png FILE       save the client area as a PNG file now
  # ...          a comment; blank lines are skipped too

TEXT and FILE are the rest of the line after the one blank that follows G
(or the action), taken as they stand: they may be empty or hold blanks. A
CR before the line end is dropped. Texts are UTF-8.

After each action the program runs until it waits with nothing pending; a
pass is one completed wait for an event. An action on a gadget number that
does not exist, or a list index out of range, does nothing; type, paste and
clear do nothing when G cannot take the keyboard focus. Actions after the
program has ended (Quit, close box) are skipped; dump and png still work.

Gadget numbers: 0 baserate field, 1 panel-1 diameter box, 2 distance field,
3 panel-2 diameter box, 4 model box, 9 Quit button, 13 logo; labels 100-127,
200-205 and 300-306.

Output: each dump, and the end of the script, prints one line:
  {"running": true|false, "exit_code": null|N, "passes": N,
   "gadgets": {"NUMBER": {"text": "...", "state": N}, ...},
   "urls": [...], "state": {...}}
"gadgets" holds every numbered gadget in ascending order; "state" is the
gadget's state (selected index of a combo box, -1 for none; 0 otherwise),
except for the image view, which gives the shown bitmap's "width" and
"height" (0 and 0 without one). "urls" lists the addresses the program asked
to open. The top-level "state" holds the program's variables by name
(without the reach table); floats are written as the shortest decimal that
reads back as the same 32-bit float.

The logo is read from Varnek.bmp in the current working directory.

Exit status: 0 when the script ran, whatever the program did; 1 when the
program could not start or a PNG could not be written; 2 for a usage error,
an unreadable script, an unknown action or a malformed line (reported with
its line number on standard error before anything runs).
)";

int usage_error(std::string_view message) {
  std::cerr << "ferrant-replay: " << message << "\n"
            << "usage: ferrant-replay [--png FILE] [--scale FACTOR] [SCRIPT]; see --help\n";
  return kExitUsage;
}

std::optional<std::string> read_all(std::istream& in) {
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(buffer).str();
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> png_path;
  std::optional<std::string> script_path;
  int picture_dpi = tk::common::kBaseDpi;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return kExitOk;
    }
    if (arg == "--png") {
      if (i + 1 >= argc) return usage_error("--png needs a file name");
      png_path = argv[++i];
    } else if (arg == "--scale") {
      const std::optional<int> dpi = i + 1 < argc ? tk::common::parse_scale_factor(argv[i + 1]) : std::nullopt;
      if (!dpi || *dpi < tk::common::kBaseDpi || *dpi > tk::common::kMaxDpi) {
        return usage_error("--scale needs a factor from 1 to 3, such as 1.5");
      }
      picture_dpi = *dpi;
      ++i;
    } else if (arg.size() > 1 && arg.front() == '-' && arg != "-") {
      return usage_error("unknown option \"" + std::string(arg) + "\"");
    } else if (script_path) {
      return usage_error("only one SCRIPT may be given");
    } else {
      script_path = std::string(arg);
    }
  }

  std::optional<std::string> text;
  if (!script_path || *script_path == "-") {
    text = read_all(std::cin);
  } else {
    std::ifstream file(*script_path, std::ios::binary);
    if (!file) {
      std::cerr << "ferrant-replay: cannot read " << *script_path << "\n";
      return kExitUsage;
    }
    text = read_all(file);
  }
  if (!text) {
    std::cerr << "ferrant-replay: cannot read the script\n";
    return kExitUsage;
  }

  const replay::Script script = replay::parse_script(*text);
  if (script.error) {
    std::cerr << "ferrant-replay: line " << script.error->line << ": " << script.error->message << "\n";
    return kExitUsage;
  }

  replay::Session session;
  session.set_picture_dpi(picture_dpi);
  if (!session.start()) {
    std::cerr << "ferrant-replay: " << session.error() << "\n";
    return kExitFailed;
  }
  int status = kExitOk;
  for (const replay::Command& command : script.commands) {
    if (!session.play(command, std::cout)) {
      std::cerr << "ferrant-replay: line " << command.line << ": " << session.error() << "\n";
      status = kExitFailed;
    }
  }
  std::cout << session.dump_json() << '\n';
  if (png_path && !session.save_png(*png_path)) {
    std::cerr << "ferrant-replay: " << session.error() << "\n";
    status = kExitFailed;
  }
  std::cout.flush();
  return status;
}

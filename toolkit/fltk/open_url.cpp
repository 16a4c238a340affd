// open_url on Linux: the location is started as a program when it is one,
// else handed to xdg-open, the desktop's default handler. No shell ever sees
// the location. A desktop window has no page address: none to read, and
// showing one does nothing. The program never waits for what it started: a short-lived
// helper process starts it and exits at once, so the started process is
// adopted by init and leaves no zombie behind.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <FL/x.H>

#include <cerrno>
#include <string>

#include "toolkit/toolkit.h"

extern char** environ;

namespace tk {
namespace {

// How the helper reports back (its exit code).
enum HelperResult : int { kStartedProgram = 0, kStartedHandler = 1, kStartedNothing = 2 };

}  // namespace

bool open_url(std::string_view location) {
  if (location.empty() || location.find('\0') != std::string_view::npos) return false;
  // Everything the helper needs is prepared here: after fork() it only calls
  // posix_spawn and _exit.
  std::string target(location);
  std::string handler = "xdg-open";
  char* program_argv[] = {target.data(), nullptr};
  char* handler_argv[] = {handler.data(), target.data(), nullptr};
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  // The started program gets no share of the X connection.
  if (fl_display != nullptr) posix_spawn_file_actions_addclose(&actions, ConnectionNumber(fl_display));

  const pid_t helper = fork();
  if (helper == 0) {
    pid_t started = 0;
    if (posix_spawnp(&started, target.c_str(), &actions, nullptr, program_argv, environ) == 0) {
      _exit(kStartedProgram);
    }
    if (posix_spawnp(&started, handler.c_str(), &actions, nullptr, handler_argv, environ) == 0) {
      _exit(kStartedHandler);
    }
    _exit(kStartedNothing);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (helper < 0) return false;

  // The helper exits as soon as the spawn returned; reap exactly it.
  int status = 0;
  pid_t reaped = 0;
  do {
    reaped = waitpid(helper, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  if (reaped != helper || !WIFEXITED(status)) return false;
  const int result = WEXITSTATUS(status);
  return result == kStartedProgram || result == kStartedHandler;
}

std::vector<AddressParameter> address_parameters() { return {}; }
void show_address_parameters(std::span<const AddressParameter> /*parameters*/) {}

}  // namespace tk

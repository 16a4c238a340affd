#include <iostream>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

#include "cli/reach_cli.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes in and out exactly as they are: no CRLF translation that would
  // change quoted fields, no end of input at a stray Ctrl-Z.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return cli::run_reach(args, std::cin, std::cout, std::cerr);
}
